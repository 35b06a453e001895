#pragma once

#include <QMainWindow>

#include <memory>

#include "host/RenderHost.h"

class AppForm;
class FileCommands;
class QAction;

// The frame: menus, the form, the status line. It can be resized and maximised (the
// view follows); Alt+Enter switches the view to full screen and back.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow();
    ~MainWindow() override;

    // Starts the form's 3-D environment. Anything but Ok ends the program.
    RenderHost::CreateResult start();

    AppForm& form() const { return *form_; }
    FileCommands& files() const { return *files_; }
    // Menu actions by their command ids (40021, 40025, 40026, 40002, 40011, 40023),
    // and 57665 for "E&xit".
    QAction* action(int id) const;
    // A picture of the window with the 3-D view's current frame in it.
    QImage snapshot();

private:
    AppForm* form_;
    std::unique_ptr<FileCommands> files_;
};
