#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>

#include <memory>

#include "edit/RecoveryCopies.h"
#include "host/RenderHost.h"
#include "shell/MessageLog.h"

class AppForm;
class FileCommands;
class MessageLogDialog;
class ReplayController;
class QAction;
class QMenu;

// The frame: menus, the form, the status line. It can be resized and maximised (the
// view follows); Alt+Enter switches the view to full screen and back.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Where the window's place and size are kept between runs.
    static constexpr const char* kGeometryKey = "window/geometry";

    // Starts the form's 3-D environment. Anything but Ok ends the program.
    RenderHost::CreateResult start();

    AppForm& form() const { return *form_; }
    FileCommands& files() const { return *files_; }
    // Recording and replaying drives.
    ReplayController& replay() const { return *replay_; }
    // Menu actions by their command ids (40021, 40025, 40026, 40002, 40011, 40023),
    // 57665 for "E&xit", 40028 for "Delete", 40100 to 40103 for the tabs, 40200 for the
    // user guide, 40300 to 40303 for the drive commands (ReplayController::ActionId);
    // "undo", "redo" and "messages" (the message log) by those names.
    QAction* action(int id) const;
    // A picture of the window with the 3-D view's current frame in it.
    QImage snapshot();
    // Every message the status line showed; View → Messages opens it.
    const MessageLog& messageLog() const { return *log_; }
    // Opens the message log (or brings it to the front) and answers it.
    MessageLogDialog* showMessageLog();
    // Shows what the course check finds on the current course (View → Course check).
    void showCourseCheck();

    // Asks what to do with changes no file has seen before they could be lost: save
    // them, discard them or cancel. True when the caller may go on. Tests answer the
    // question themselves.
    bool settleUnsavedChanges(const QString& why);
    using UnsavedAnswer = std::function<QMessageBox::StandardButton(const QString& question)>;
    void setUnsavedAnswer(UnsavedAnswer answer) { unsavedAnswer_ = std::move(answer); }
    QStringList recentFiles() const;
    // Offers to restore the unsaved work a builder left when it did not end cleanly.
    void offerRecovery();
    using RecoveryAnswer = std::function<bool(const QString& question)>;
    void setRecoveryAnswer(RecoveryAnswer answer) { recoveryAnswer_ = std::move(answer); }
    // Writes the recovery copies now (they are written at most half a minute after a
    // change anyway); false, with the reason on the status line, when they could not be.
    bool writeRecoveryCopies();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    // Opens what a builder that did not end cleanly kept: its library and its courses.
    // Opens the copies; answers the names the restored courses have in the tree.
    QStringList restore(const RecoveryCopies::LeftBehind& copies);
    void updateTitle();
    // Shows a message on the status line and keeps it in the message log.
    void showStatus(const QString& text);
    void rememberRecentFile(const QString& path);
    void updateRecentMenu();

    AppForm* form_;
    std::unique_ptr<FileCommands> files_;
    ReplayController* replay_; // the form's child
    QMenu* recentMenu_ = nullptr;
    MessageLog* log_; // the window's child
    QPointer<MessageLogDialog> logDialog_;
    UnsavedAnswer unsavedAnswer_;
    RecoveryAnswer recoveryAnswer_;
    std::unique_ptr<RecoveryCopies> recovery_;
    QTimer recoveryTimer_;
    QElapsedTimer frameClock_;
    int framesCounted_ = 0;
    // While copies are restored, each opened copy adds to the unsaved work instead of
    // putting it at risk: nothing is asked.
    bool restoring_ = false;
};
