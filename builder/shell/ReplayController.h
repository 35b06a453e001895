#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

#include "drive/DriveEngine.h"
#include "drive/DrivePlayer.h"
#include "drive/DriveRecorder.h"
#include "files/ReplayFile.h"
#include "input/DriveInputSink.h"
#include "shell/FrameObserver.h"
#include "tumbleway/tumbleway.h"

class AppForm;
class FileCommands;
class QAction;
class QPushButton;

// Records a drive in Play and replays it: on the scene it was recorded on (a recording
// opened from its file) or on the current course as it is now, after edits. While a
// drive is recorded every input call that reaches the engine is kept with the driven
// object's pose; while one is replayed the recorded calls go to the engine instead of
// the user's, clicks in the view do not reach it, and the recorded run's driven object
// is drawn as a translucent ghost beside the live one.
//
// A drive starts from a state its file can make again: the course is put back as its
// scene text reads, so every body rests where it is. Stopping a recording, or a replay
// once its result has been shown, puts the course back as it was before the drive, so
// that it can be changed and the drive replayed from the same start. Anything else that
// changes what the drive depends on (leaving Play, another course or driven object, an
// edit, undo or redo, the scan) ends the drive where it is.
class ReplayController final : public QObject, public FrameObserver {
    Q_OBJECT
public:
    // Command ids, the actions' object names.
    enum ActionId {
        kRecordAction = 40300,
        kReplayAction = 40301,
        kOpenAction = 40302,
        kSaveAction = 40303,
    };

    // Watches the form's frames and puts its controls in the form's column; the form is
    // its parent. Dialogs go through files.
    ReplayController(AppForm& form, FileCommands& files);

    // Where the input layer sends its calls; they go on to the engine from here.
    InputSink& inputSink() { return sink_; }
    // The commands, in menu order.
    QList<QAction*> actions() const;

    // What the open command does with a recorded drive: its scene is opened as a new
    // course and the drive replayed on it. A file that cannot be replayed is refused
    // with a message that says why, and nothing changes.
    void openRecording(const QString& path);

    bool isRecording() const { return recorder_.has_value(); }
    // Frames recorded so far (0 while none is recorded).
    int recordedFrames() const { return recorder_ ? recorder_->frames() : 0; }
    bool isReplaying() const { return player_.has_value(); }
    // The recording that replays: the last one made or opened.
    const std::optional<Replay>& lastRecording() const { return lastRecording_; }
    // How the last replay that ran to its end compared with its recording.
    const std::optional<DriveComparison>& lastComparison() const { return lastComparison_; }

signals:
    // What just happened, or why something was not done.
    void statusMessage(const QString& text);
    // The frame a drive is at ("" when none runs).
    void progressChanged(const QString& text);

private:
    void beforeFrameMove() override;
    void afterFrameMove() override;

    void toggleRecording();
    void startRecording();
    // Ends the recording; `why` says what ended it, empty when the user did.
    void stopRecording(const QString& why);
    void saveRecording();
    void chooseRecording();
    void toggleReplay();
    void startReplay();
    void finishReplay();
    void showResult();
    // Ends the replay; `why` says what ended it, empty when the user did or it ran out.
    void stopReplay(const QString& why);

    // Switches to Play and stops the scan, which would turn the heading every frame.
    void enterPlay();
    // Remembers what the drive depends on, to notice when something changes it.
    void watch(int controlled);
    // Why the engine is no longer in the state the drive depends on; empty while it is.
    QString interruption();
    void rewind(const DriveStart& to);
    void refuse(const QString& name, const QString& why);
    QString drivenName() const;
    void updateControls();

    AppForm& form_;
    FileCommands& files_;
    ExportsInputSink engineSink_;
    DriveInputSink sink_;

    std::optional<DriveRecorder> recorder_;
    std::optional<DrivePlayer> player_;
    // The course, heading and driven object to go back to when the replay ends.
    DriveStart beforeReplay_;
    std::optional<Replay> lastRecording_;
    QString lastRecordingName_;
    std::optional<DriveComparison> lastComparison_;

    struct Watched {
        HTREEITEM course = nullptr;
        int meshes = 0;
        int controlled = -1;
    };
    Watched watched_;
    bool edited_ = false;

    QAction* record_ = nullptr;
    QAction* replay_ = nullptr;
    QAction* open_ = nullptr;
    QAction* save_ = nullptr;
    QPushButton* recordButton_ = nullptr;
    QPushButton* replayButton_ = nullptr;
};
