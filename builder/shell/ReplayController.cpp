#include "shell/ReplayController.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QTabBar>
#include <QUndoStack>

#include "files/SimulationFile.h"
#include "shell/AppForm.h"
#include "shell/FileCommands.h"
#include "shell/ReplayResultDialog.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

constexpr const char* kReplayFilter =
    QT_TRANSLATE_NOOP("ReplayController", "Recorded drive (*.replay)");
constexpr int kPlayTab = 0;

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

ReplayController::ReplayController(AppForm& form, FileCommands& files)
    : QObject(&form), form_(form), files_(files), sink_(engineSink_) {
    setObjectName(QStringLiteral("replay"));
    const auto makeAction = [this](int id, const QString& tip, const QKeySequence& keys,
                                   void (ReplayController::*command)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::number(id));
        action->setStatusTip(tip);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    record_ = makeAction(kRecordAction,
                         tr("Record the drive from now on: the steering of every frame and "
                            "the scene as it is"),
                         QKeySequence(Qt::CTRL | Qt::Key_R), &ReplayController::toggleRecording);
    replay_ = makeAction(
        kReplayAction, tr("Replay the last recording on the current course as it is now"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), &ReplayController::toggleReplay);
    open_ = makeAction(kOpenAction, tr("Open a recorded drive and replay it on its own scene"), {},
                       &ReplayController::chooseRecording);
    open_->setText(tr("&Open a recording..."));
    save_ = makeAction(kSaveAction, tr("Save the last recording under a name you choose"), {},
                       &ReplayController::saveRecording);
    save_->setText(tr("&Save the recording..."));

    auto* group = new QGroupBox(tr("Drive"));
    auto* row = new QHBoxLayout(group);
    const auto makeButton = [group, row](const char* name, QAction* action) {
        auto* button = new QPushButton(group);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        row->addWidget(button);
        return button;
    };
    recordButton_ = makeButton("record", record_);
    replayButton_ = makeButton("replay", replay_);
    form_.addControlGroup(group);

    form_.setFrameObserver(this);
    connect(&form_.history(), &QUndoStack::indexChanged, this, [this] { edited_ = true; });
    connect(&form_, &AppForm::replayChosen, this, &ReplayController::openRecording);
    updateControls();
}

QList<QAction*> ReplayController::actions() const {
    return {record_, replay_, open_, save_};
}

// ---- Frames ----

void ReplayController::beforeFrameMove() {
    if (!recorder_ && (!player_ || player_->finished())) {
        return;
    }
    if (const QString why = interruption(); !why.isEmpty()) {
        recorder_ ? stopRecording(why) : stopReplay(why);
        return;
    }
    if (player_) {
        const ReplayMatrix& recorded = player_->playFrame();
        twx_set_ghost(player_->driven(), recorded.data());
    }
}

void ReplayController::afterFrameMove() {
    if (recorder_) {
        recorder_->frameDone(sink_.takeRecorded());
        emit progressChanged(tr("Recording: frame %1").arg(recorder_->frames()));
    } else if (player_ && !player_->finished()) {
        player_->frameDone();
        emit progressChanged(
            tr("Replay: frame %1 of %2").arg(player_->frame()).arg(player_->frames()));
        if (player_->finished()) {
            finishReplay();
        }
    }
}

// ---- Recording ----

void ReplayController::toggleRecording() {
    if (recorder_) {
        RenderHost::EngineScope scope(form_.host());
        stopRecording(interruption());
    } else {
        startRecording();
    }
}

void ReplayController::startRecording() {
    if (player_) {
        emit statusMessage(tr("Not recording: a replay is running; stop it first."));
        return;
    }
    HTREEITEM course = nullptr;
    int controlled = -1;
    {
        RenderHost::EngineScope scope(form_.host());
        twx_current_course(&course);
        controlled = twx_controlled_mesh();
    }
    if (course == nullptr) {
        emit statusMessage(
            tr("Nothing to record: choose a course in the tree, or open a scene, first."));
        return;
    }
    if (controlled < 0) {
        emit statusMessage(tr("Nothing to record: no placed object is driven; choose one under "
                              "the course in the tree, or click it in Play."));
        return;
    }
    enterPlay();
    std::optional<DriveStart> start;
    std::string error;
    {
        RenderHost::EngineScope scope(form_.host());
        float heading = 0;
        twx_get_heading(&heading);
        start = startDrive(controlled, heading, &error);
    }
    form_.courseChanged(course);
    if (!start) {
        emit statusMessage(tr("Not recording: %1.").arg(fromStd(error)));
        return;
    }
    recorder_.emplace(std::move(*start));
    watch(controlled);
    sink_.setMode(DriveInputSink::Mode::Record);
    form_.holdViewMouse(true);
    emit progressChanged(tr("Recording: frame 0"));
    emit statusMessage(tr("Recording: drive with the arrow keys; %1 stops.")
                           .arg(record_->shortcut().toString(QKeySequence::NativeText)));
    updateControls();
}

void ReplayController::stopRecording(const QString& why) {
    const Replay recorded = recorder_->replay();
    const DriveStart start = recorder_->start();
    recorder_.reset();
    sink_.setMode(DriveInputSink::Mode::Pass);
    form_.holdViewMouse(false);
    emit progressChanged({});
    if (why.isEmpty()) {
        rewind(start);
    }
    updateControls();
    const int frames = static_cast<int>(recorded.frames.size());
    if (frames == 0) {
        emit statusMessage(tr("Nothing recorded."));
        return;
    }
    lastRecording_ = recorded;
    lastRecordingName_ = tr("the last recording");
    updateControls();
    emit statusMessage(
        why.isEmpty() ? tr("Recorded %n frame(s).", nullptr, frames)
                      : tr("Recording stopped after %n frame(s): %1.", nullptr, frames).arg(why));
    // No dialog may run inside a frame, where an interruption ends the recording.
    QMetaObject::invokeMethod(this, &ReplayController::saveRecording, Qt::QueuedConnection);
}

void ReplayController::saveRecording() {
    if (!lastRecording_) {
        emit statusMessage(tr("There is no recording to save."));
        return;
    }
    const QString path = files_.choose({FileDialogRequest::Mode::Save,
                                        tr("Save the recording"),
                                        {tr(kReplayFilter)},
                                        QString::fromLatin1(kReplayExtension)});
    if (path.isEmpty()) {
        emit statusMessage(tr("The recording was not saved: %1 replays it until the next one, "
                              "and Drive > Save the recording keeps it.")
                               .arg(replay_->shortcut().toString(QKeySequence::NativeText)));
        return;
    }
    std::string error;
    if (!writeReplayFile(*lastRecording_, path.toStdString(), &error)) {
        const QString text =
            tr("The recording could not be saved.\n%1: %2").arg(path, fromStd(error));
        MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder", MB_OK | MB_ICONERROR);
        emit statusMessage(tr("Not saved: %1: %2").arg(path, fromStd(error)));
        return;
    }
    lastRecordingName_ = QFileInfo(path).fileName();
    emit statusMessage(tr("Saved the recording of %n frame(s) as %1.", nullptr,
                          static_cast<int>(lastRecording_->frames.size()))
                           .arg(path));
}

// ---- Replaying ----

void ReplayController::chooseRecording() {
    const QString path = files_.choose({FileDialogRequest::Mode::Open,
                                        tr("Open a recording"),
                                        {tr(kReplayFilter)},
                                        QString::fromLatin1(kReplayExtension)});
    if (!path.isEmpty()) {
        files_.openPath(path);
    }
}

void ReplayController::openRecording(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    if (recorder_) {
        emit statusMessage(
            tr("Not opened: %1; a drive is being recorded, stop it first.").arg(name));
        return;
    }
    const ReplayRead read = readReplayFile(path.toStdString());
    if (!read.replay) {
        refuse(name, fromStd(read.error));
        return;
    }
    // Read before anything changes: a scene that cannot be read changes nothing.
    LSession_t record;
    SceneExtras extras;
    if (!readSimulationText(read.replay->sceneText, "the scene in " + name.toStdString(), record,
                            &extras)) {
        refuse(name, tr("the scene in it cannot be read"));
        return;
    }
    if (!form_.confirmSceneOpen(name)) {
        return;
    }
    if (player_) {
        RenderHost::EngineScope scope(form_.host());
        stopReplay(interruption());
    }
    form_.openSceneRecord(record, extras, name, QFileInfo(path).absoluteFilePath());
    std::vector<std::string> placed;
    {
        RenderHost::EngineScope scope(form_.host());
        placed = placedMeshNames();
    }
    std::vector<std::string> recorded;
    for (const ReplayEndPose& end : read.replay->endPoses) {
        recorded.push_back(end.name);
    }
    // On its own scene a drive means something only with every object of the scene.
    if (placed != recorded) {
        emit statusMessage(tr("Opened the scene of %1, but did not replay it: not every object "
                              "it places could be loaded.")
                               .arg(name));
        return;
    }
    lastRecording_ = *read.replay;
    lastRecordingName_ = name;
    startReplay();
}

void ReplayController::refuse(const QString& name, const QString& why) {
    const QString text = tr("%1 cannot be replayed: %2. Nothing was changed.").arg(name, why);
    MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder", MB_OK | MB_ICONERROR);
    emit statusMessage(text);
}

void ReplayController::toggleReplay() {
    if (player_) {
        RenderHost::EngineScope scope(form_.host());
        stopReplay(interruption());
    } else {
        startReplay();
    }
}

void ReplayController::startReplay() {
    if (!lastRecording_) {
        emit statusMessage(tr("Nothing to replay: record a drive, or open a recording, first."));
        return;
    }
    if (recorder_) {
        emit statusMessage(tr("Not replayed: a drive is being recorded; stop it first."));
        return;
    }
    const Replay& replay = *lastRecording_;
    HTREEITEM course = nullptr;
    int driven = -1;
    {
        RenderHost::EngineScope scope(form_.host());
        twx_current_course(&course);
        driven = pairedDrivenMesh(replay, placedMeshNames());
    }
    if (course == nullptr) {
        emit statusMessage(tr("Nothing to replay on: choose a course in the tree first."));
        return;
    }
    // The driven object is found by name, so that placing or deleting others does not
    // hand the recorded steering to another one.
    if (driven < 0) {
        emit statusMessage(tr("Not replayed: the recording drives a %1 that this course does "
                              "not place.")
                               .arg(drivenName()));
        return;
    }
    enterPlay();
    std::optional<DriveStart> start;
    std::string error;
    {
        RenderHost::EngineScope scope(form_.host());
        beforeReplay_.controlled = twx_controlled_mesh();
        twx_get_heading(&beforeReplay_.heading);
        start = startDrive(driven, replay.heading, &error);
    }
    form_.courseChanged(course);
    if (!start) {
        emit statusMessage(tr("Not replayed: %1.").arg(fromStd(error)));
        return;
    }
    beforeReplay_.sceneText = std::move(start->sceneText);
    player_.emplace(replay, driven);
    watch(driven);
    sink_.setMode(DriveInputSink::Mode::Hold);
    form_.holdViewMouse(true);
    emit progressChanged(tr("Replay: frame 0 of %1").arg(player_->frames()));
    emit statusMessage(tr("Replaying %1 on %2; the translucent ghost is the recorded run. %3 "
                          "stops.")
                           .arg(lastRecordingName_, form_.sceneName(),
                                replay_->shortcut().toString(QKeySequence::NativeText)));
    updateControls();
}

void ReplayController::finishReplay() {
    lastComparison_ = player_->comparison();
    // The scene stands still at the end of the replay while its result is shown.
    form_.host().pause(true);
    emit statusMessage(ReplayResultDialog::summary(*lastComparison_, drivenName()));
    QMetaObject::invokeMethod(this, &ReplayController::showResult, Qt::QueuedConnection);
}

void ReplayController::showResult() {
    ReplayResultDialog dialog(*lastComparison_, lastRecordingName_, drivenName(), form_.window());
    dialog.exec();
    form_.host().pause(false);
    RenderHost::EngineScope scope(form_.host());
    stopReplay(interruption());
}

void ReplayController::stopReplay(const QString& why) {
    const bool finished = player_->finished();
    const int played = player_->frame();
    const int frames = player_->frames();
    player_.reset();
    twx_set_ghost(-1, nullptr);
    sink_.setMode(DriveInputSink::Mode::Pass);
    form_.holdViewMouse(false);
    emit progressChanged({});
    if (why.isEmpty()) {
        rewind(beforeReplay_);
    }
    updateControls();
    if (!why.isEmpty()) {
        emit statusMessage(
            tr("Replay stopped at frame %1 of %2: %3.").arg(played).arg(frames).arg(why));
    } else if (!finished) {
        emit statusMessage(tr("Replay stopped at frame %1 of %2.").arg(played).arg(frames));
    }
}

// ---- What a drive depends on ----

void ReplayController::enterPlay() {
    if (form_.currentTab() != kPlayTab) {
        form_.tabs()->setCurrentIndex(kPlayTab);
    }
    if (form_.isScanning()) {
        form_.button(AppForm::kScanButton)->click();
    }
}

void ReplayController::watch(int controlled) {
    RenderHost::EngineScope scope(form_.host());
    watched_.course = nullptr;
    twx_current_course(&watched_.course);
    watched_.meshes = twx_mesh_count();
    watched_.controlled = controlled;
    edited_ = false;
}

QString ReplayController::interruption() {
    if (edited_) {
        return tr("the scene was edited");
    }
    if (form_.currentTab() != kPlayTab) {
        return tr("Play was left");
    }
    if (form_.isScanning()) {
        return tr("the scan started");
    }
    HTREEITEM course = nullptr;
    twx_current_course(&course);
    if (course != watched_.course) {
        return tr("another course was chosen");
    }
    if (twx_mesh_count() != watched_.meshes) {
        return tr("the course changed");
    }
    if (twx_controlled_mesh() != watched_.controlled) {
        return tr("another object was chosen to drive");
    }
    return {};
}

void ReplayController::rewind(const DriveStart& to) {
    std::string error;
    bool done = false;
    HTREEITEM course = nullptr;
    {
        RenderHost::EngineScope scope(form_.host());
        done = restartCourse(to, &error);
        twx_current_course(&course);
    }
    form_.courseChanged(course);
    if (!done) {
        emit statusMessage(
            tr("The course could not be put back as it was: %1.").arg(fromStd(error)));
    }
}

QString ReplayController::drivenName() const {
    if (!lastRecording_) {
        return {};
    }
    const auto index = static_cast<std::size_t>(lastRecording_->controlled);
    return fromStd(lastRecording_->endPoses[index].name);
}

void ReplayController::updateControls() {
    record_->setText(recorder_ ? tr("Stop &recording") : tr("&Record a drive"));
    record_->setEnabled(!player_);
    replay_->setText(player_ ? tr("Stop the re&play") : tr("Re&play the drive"));
    replay_->setEnabled(player_ || (!recorder_ && lastRecording_));
    save_->setEnabled(!recorder_ && lastRecording_);
    open_->setEnabled(!recorder_);
    recordButton_->setText(recorder_ ? tr("stop") : tr("record"));
    recordButton_->setEnabled(record_->isEnabled());
    replayButton_->setText(player_ ? tr("stop") : tr("replay"));
    replayButton_->setEnabled(replay_->isEnabled());
}
