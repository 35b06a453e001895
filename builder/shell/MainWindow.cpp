#include "shell/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QSettings>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeWidgetItem>
#include <QUndoStack>

#include "files/MissingAssets.h"
#include "input/InputMapper.h"
#include "shell/AboutDialog.h"
#include "shell/AppForm.h"
#include "shell/CourseCheckDialog.h"
#include "shell/FileCommands.h"
#include "shell/GuideDialog.h"
#include "shell/MessageLogDialog.h"
#include "shell/ReplayController.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

constexpr int kExitCommand = 57665;
constexpr int kDeleteCommand = 40028;
constexpr int kTabCommand = 40100;
constexpr int kGuideCommand = 40200;
constexpr int kRecentFiles = 8;

} // namespace

MainWindow::MainWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    log_ = new MessageLog(this);
    form_ = new AppForm(this);
    setCentralWidget(form_);
    files_ = std::make_unique<FileCommands>(*form_, this);
    // The input layer steers through the drive commands, which record or hold it back.
    replay_ = new ReplayController(*form_, *files_);
    form_->setFrameInput(std::make_unique<InputMapper>(replay_->inputSink()));
    buildMenus();

    for (const QKeySequence& keys :
         {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this] { form_->host().toggleFullScreen(); });
    }

    // What just happened on the left; the frame time and the mesh the arrow keys drive
    // on the right.
    statusBar()->showMessage(tr("Ready"));
    auto* frameTime = new QLabel(statusBar());
    frameTime->setObjectName(QStringLiteral("frameTime"));
    statusBar()->addPermanentWidget(frameTime);
    auto* controlled = new QLabel(statusBar());
    controlled->setObjectName(QStringLiteral("controlled"));
    statusBar()->addPermanentWidget(controlled);
    auto* driveFrame = new QLabel(statusBar());
    driveFrame->setObjectName(QStringLiteral("driveFrame"));
    statusBar()->addPermanentWidget(driveFrame);
    connect(replay_, &ReplayController::progressChanged, driveFrame, &QLabel::setText);
    connect(form_, &AppForm::statusMessage, this, &MainWindow::showStatus);
    connect(replay_, &ReplayController::statusMessage, this, &MainWindow::showStatus);
    connect(form_, &AppForm::controlledChanged, controlled, [controlled](const QString& name) {
        controlled->setText(name.isEmpty() ? tr("Arrow keys drive: nothing")
                                           : tr("Arrow keys drive: %1").arg(name));
    });
    connect(form_, &AppForm::importRequested, files_.get(), &FileCommands::open);
    connect(form_, &AppForm::sceneStateChanged, this, &MainWindow::updateTitle);
    connect(files_.get(), &FileCommands::fileChosen, this, &MainWindow::rememberRecentFile);
    form_->setBeforeSceneOpen(
        [this] { return restoring_ || settleUnsavedChanges(tr("open another scene")); });
    connect(&form_->host(), &RenderHost::frameDone, this, [this, frameTime] {
        // The mean time a frame took over the last second or so.
        ++framesCounted_;
        if (!frameClock_.isValid()) {
            frameClock_.start();
        } else if (frameClock_.elapsed() >= 1000) {
            const double ms = static_cast<double>(frameClock_.restart()) / framesCounted_;
            frameTime->setText(tr("frame %1 ms").arg(ms, 0, 'f', 1));
            framesCounted_ = 0;
        }
    });
    // Unsaved work is copied at most half a minute after it changed.
    recovery_ = std::make_unique<RecoveryCopies>();
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(RecoveryCopies::delaySeconds() * 1000);
    connect(&recoveryTimer_, &QTimer::timeout, this, &MainWindow::writeRecoveryCopies);
    connect(form_, &AppForm::sceneStateChanged, this, [this] {
        if (!recoveryTimer_.isActive()) {
            recoveryTimer_.start();
        }
    });
    connect(&form_->history(), &QUndoStack::indexChanged, this, [this] {
        if (!recoveryTimer_.isActive()) {
            recoveryTimer_.start();
        }
    });
    recoveryAnswer_ = [this](const QString& question) {
        return QMessageBox::question(this, tr("Tumbleway Builder"), question) == QMessageBox::Yes;
    };
    unsavedAnswer_ = [this](const QString& question) {
        return QMessageBox::question(this, tr("Tumbleway Builder"), question,
                                     QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                     QMessageBox::Save);
    };
    setWindowTitle(QStringLiteral("Tumbleway"));
}

void MainWindow::buildMenus() {
    const auto addAction = [this](QMenu* menu, const QString& text, int id, const QString& tip,
                                  const QList<QKeySequence>& keys = {}) {
        QAction* action = menu->addAction(text);
        action->setObjectName(QString::number(id));
        action->setStatusTip(tip);
        action->setShortcuts(keys);
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    QAction* open = addAction(file, tr("&Open..."), 40021, tr("Open an existing game session file"),
                              {QKeySequence::Open});
    recentMenu_ = file->addMenu(tr("Open &recent"));
    recentMenu_->setStatusTip(tr("Open one of the files opened or saved lately"));
    QAction* save = addAction(file, tr("&Save"), 40025,
                              tr("Save the current course as velmora.sim in the current folder"),
                              {QKeySequence(Qt::CTRL | Qt::Key_S)});
    QAction* saveAs =
        addAction(file, tr("Save &As..."), 40026,
                  tr("Save the current course as an XML scene under a name you choose"),
                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)});
    QAction* exportCourse = file->addAction(tr("&Export course..."));
    exportCourse->setObjectName(QStringLiteral("exportCourse"));
    exportCourse->setStatusTip(
        tr("Write the current course as a glTF file (.glb) for Blender, Godot and other tools"));
    file->addSeparator();
    // F2 and F3 belong to the input layer; the menu only names them.
    QAction* display = addAction(file, tr("Config &display...\tF2"), 40002,
                                 tr("Choose the display adapter, mode and frame rate"));
    QAction* input = addAction(file, tr("Configure &input...\tF3"), 40011,
                               tr("Choose the keys and controller that steer"));
    file->addSeparator();
    QAction* exit = addAction(file, tr("E&xit"), kExitCommand, tr("Quit Tumbleway Builder"),
                              {QKeySequence(Qt::CTRL | Qt::Key_Q)});

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undo = form_->history().createUndoAction(this, tr("Undo"));
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcuts({QKeySequence::Undo});
    undo->setStatusTip(tr("Take back the last edit"));
    QAction* redo = form_->history().createRedoAction(this, tr("Redo"));
    redo->setObjectName(QStringLiteral("redo"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    redo->setStatusTip(tr("Do again the edit taken back last"));
    edit->addAction(undo);
    edit->addAction(redo);
    // The stack has stepped already when these run: what was undone is next to redo.
    connect(undo, &QAction::triggered, this,
            [this] { showStatus(tr("Undone: %1").arg(form_->history().redoText())); });
    connect(redo, &QAction::triggered, this,
            [this] { showStatus(tr("Redone: %1").arg(form_->history().undoText())); });
    edit->addSeparator();
    QAction* remove =
        addAction(edit, tr("&Delete"), kDeleteCommand,
                  tr("Delete the course, placed object or sound relation chosen in the tree"),
                  {QKeySequence::Delete});

    QMenu* view = menuBar()->addMenu(tr("&View"));
    const char* tabs[4] = {QT_TR_NOOP("Play"), QT_TR_NOOP("Edit"), QT_TR_NOOP("MakeField"),
                           QT_TR_NOOP("ViewParts")};
    const char* tips[4] = {QT_TR_NOOP("Drive the scene"), QT_TR_NOOP("Place objects on the course"),
                           QT_TR_NOOP("Lay the points of a course"),
                           QT_TR_NOOP("Look at a mesh or bitmap alone")};
    for (int tab = 0; tab < 4; ++tab) {
        QAction* choose = addAction(view, tr(tabs[tab]), kTabCommand + tab, tr(tips[tab]),
                                    {QKeySequence(Qt::CTRL | (Qt::Key_1 + tab))});
        connect(choose, &QAction::triggered, this,
                [this, tab] { form_->tabs()->setCurrentIndex(tab); });
    }

    view->addSeparator();
    QAction* messages = view->addAction(tr("&Messages..."));
    messages->setObjectName(QStringLiteral("messages"));
    messages->setStatusTip(tr("Read every message the status line showed, whole, with its time"));
    connect(messages, &QAction::triggered, this, &MainWindow::showMessageLog);
    QAction* courseCheck = view->addAction(tr("&Course check..."));
    courseCheck->setObjectName(QStringLiteral("courseCheck"));
    courseCheck->setStatusTip(tr("Show what the course check finds on the current course, "
                                 "marked where it is in MakeField"));
    connect(courseCheck, &QAction::triggered, this, &MainWindow::showCourseCheck);

    QMenu* drive = menuBar()->addMenu(tr("&Drive"));
    drive->addActions(replay_->actions());
    drive->insertSeparator(replay_->actions().at(2));

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    QAction* guide =
        addAction(help, tr("User &guide"), kGuideCommand,
                  tr("Read how to lay, place, play and save"), {QKeySequence::HelpContents});
    QAction* about =
        addAction(help, tr("&About"), 40023, tr("Show the program's name and version"));

    connect(open, &QAction::triggered, files_.get(), &FileCommands::open);
    connect(save, &QAction::triggered, files_.get(), &FileCommands::save);
    connect(saveAs, &QAction::triggered, files_.get(), &FileCommands::saveAs);
    connect(exportCourse, &QAction::triggered, this, [this] {
        const QString path = files_->choose({FileDialogRequest::Mode::Save,
                                             tr("Export course"),
                                             {tr("glTF binary (*.glb)")},
                                             QStringLiteral("glb")});
        if (!path.isEmpty()) {
            form_->exportCourse(path);
        }
    });
    connect(display, &QAction::triggered, form_, &AppForm::requestConfigureDisplay);
    connect(input, &QAction::triggered, form_, &AppForm::requestConfigureInput);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(remove, &QAction::triggered, form_, &AppForm::deleteChosen);
    connect(guide, &QAction::triggered, this, [this] { showUserGuide(this); });
    connect(about, &QAction::triggered, form_, &AppForm::showAbout);
    updateRecentMenu();
}

void MainWindow::updateTitle() {
    const QString scene = form_->sceneName();
    setWindowTitle(scene.isEmpty() ? tr("Tumbleway Builder[*]")
                                   : tr("%1[*] - Tumbleway Builder").arg(scene));
    setWindowModified(form_->isModified());
}

void MainWindow::showStatus(const QString& text) {
    statusBar()->showMessage(text);
    // A message too long for the line can be read whole by pointing at it.
    statusBar()->setToolTip(text);
    log_->add(text);
}

MessageLogDialog* MainWindow::showMessageLog() {
    if (logDialog_ == nullptr) {
        logDialog_ = new MessageLogDialog(*log_, this);
        logDialog_->setAttribute(Qt::WA_DeleteOnClose);
    }
    logDialog_->show();
    logDialog_->raise();
    logDialog_->activateWindow();
    return logDialog_;
}

void MainWindow::showCourseCheck() {
    CourseCheckFindings check;
    if (!checkCurrentCourse(*form_, &check)) {
        showStatus(tr("No course check: choose a course in the tree, or create one, first."));
        return;
    }
    auto* dialog = new CourseCheckDialog(check, form_->viewFrame()->size(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

QStringList MainWindow::recentFiles() const {
    return QSettings().value(QStringLiteral("recentFiles")).toStringList();
}

void MainWindow::rememberRecentFile(const QString& path) {
    QStringList recent = recentFiles();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    QSettings().setValue(QStringLiteral("recentFiles"), recent);
    updateRecentMenu();
}

void MainWindow::updateRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = recentFiles();
    for (const QString& path : recent) {
        QAction* action = recentMenu_->addAction(QFileInfo(path).fileName());
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { files_->openPath(path); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

bool MainWindow::settleUnsavedChanges(const QString& why) {
    if (!form_->isModified()) {
        return true;
    }
    QStringList names;
    for (const AppForm::CourseFile& course : form_->modifiedCourses()) {
        names << (course.file.isEmpty() ? course.name : QFileInfo(course.file).fileName());
    }
    if (form_->hasUnsavedPoints()) {
        names << tr("the points laid in MakeField (no course made of them yet)");
    }
    const QMessageBox::StandardButton answer = unsavedAnswer_(
        tr("Not saved: %1. Save before you %2?").arg(names.join(QStringLiteral(", ")), why));
    if (answer == QMessageBox::Discard) {
        // What was let go of is not asked about again.
        form_->discardUnsavedState();
        return true;
    }
    if (answer != QMessageBox::Save) {
        return false;
    }
    // Laid points are kept as a course of their own, saved with the others.
    if (form_->hasUnsavedPoints()) {
        form_->createCourseFromLaidPoints();
    }
    // Each changed course is saved where it came from, or under a name the user gives;
    // a second course from a file that was just written takes a name of its own rather
    // than overwrite the first.
    QStringList written;
    for (const AppForm::CourseFile& course : form_->modifiedCourses()) {
        form_->makeCurrentCourse(course.item);
        const QString file = QFileInfo(course.file).absoluteFilePath();
        if (course.file.endsWith(QStringLiteral(".xml"), Qt::CaseInsensitive) &&
            !written.contains(file)) {
            files_->saveTo(course.file);
            written << file;
        } else if (!files_->saveAs()) {
            return false; // the user cancelled the name, and with it what was asked for
        }
    }
    if (form_->isModified()) {
        // The save said why on the status line, which the refusal of what the user asked
        // for next would hide: a save asked for that fails is said aloud.
        const QString why = statusBar()->currentMessage();
        MessageBoxA(nullptr,
                    tr("Not saved, so nothing else was done: %1").arg(why).toStdString().c_str(),
                    "Tumbleway Builder", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool MainWindow::writeRecoveryCopies() {
    std::vector<RecoveryCopies::Course> courses;
    for (const AppForm::CourseFile& course : form_->modifiedCourses()) {
        RenderHost::EngineScope scope(form_->host());
        CourseSnapshot snapshot = takeCourseSnapshot(course.item);
        // What could not be loaded is part of the work too.
        if (const MissingAssets* missing = form_->missingAssets(course.item)) {
            appendMissing(*missing, snapshot.record, snapshot.extras);
        }
        courses.push_back({course.name, course.file, std::move(snapshot)});
    }
    QString error;
    if (!recovery_->write(courses, {form_->libraryFiles(), form_->openedFolders()}, &error)) {
        showStatus(tr("The recovery copy could not be written: %1").arg(error));
        return false;
    }
    return true;
}

void MainWindow::offerRecovery() {
    QString problem;
    std::vector<RecoveryCopies::LeftBehind> left =
        RecoveryCopies::leftBehind(RecoveryCopies::defaultRoot(), &problem);
    if (problem.isEmpty()) {
        problem = recovery_->problem();
    }
    if (!problem.isEmpty()) {
        showStatus(tr("Unsaved work cannot be kept for recovery: %1").arg(problem));
    }
    for (const RecoveryCopies::LeftBehind& copies : left) {
        if (copies.courses.empty()) {
            RecoveryCopies::discard(copies);
            continue;
        }
        QStringList names;
        for (const RecoveryCopies::Kept& course : copies.courses) {
            names << (course.file.isEmpty() ? course.name : QFileInfo(course.file).fileName());
        }
        if (!recoveryAnswer_(tr("Tumbleway Builder did not end cleanly last time. Restore the "
                                "unsaved work it kept (%1)?")
                                 .arg(names.join(QStringLiteral(", "))))) {
            RecoveryCopies::discard(copies);
            continue;
        }
        // Said by the names the courses have now, which may not be those they had.
        const QString restored = restore(copies).join(QStringLiteral(", "));
        // The copies go only once this builder's own copy of the work is whole: a crash
        // right after the restore must find it somewhere.
        if (writeRecoveryCopies()) {
            RecoveryCopies::discard(copies);
            showStatus(tr("Restored: %1. Save it to keep it.").arg(restored));
        } else {
            showStatus(tr("Restored: %1. Save it to keep it; its recovery copy stays in %2.")
                           .arg(restored, copies.folder));
        }
    }
}

QStringList MainWindow::restore(const RecoveryCopies::LeftBehind& copies) {
    // The copies are no files of the user's: they stay out of the recent files.
    const QSignalBlocker quiet(files_.get());
    const QString folderBefore = QDir::currentPath();
    restoring_ = true;
    // The library first, as it was, so that the courses find their files where they did.
    for (const QString& file : copies.context.libraryFiles) {
        files_->openPath(file);
    }
    form_->addOpenedFolders(copies.context.assetFolders);
    {
        RenderHost::EngineScope scope(form_->host());
        for (const QString& folder : copies.context.assetFolders) {
            twx_add_asset_folder(folder.toStdString().c_str());
        }
    }
    QStringList names;
    for (const RecoveryCopies::Kept& course : copies.courses) {
        files_->openPath(course.scene);
        form_->markRecovered(course.file);
        if (const LSession_t* opened = form_->currentCourseEntry()) {
            const QString name = reinterpret_cast<QTreeWidgetItem*>(opened->item)->text(0);
            names << (course.file.isEmpty()
                          ? name
                          : QStringLiteral("%1 (%2)").arg(name, QFileInfo(course.file).fileName()));
        }
    }
    restoring_ = false;
    // Opening a copy made its folder current, and the folder goes with the copies: a
    // quick save goes beside the scene the work came from.
    const QString file = copies.courses.back().file;
    QDir::setCurrent(file.isEmpty() ? folderBefore : QFileInfo(file).absolutePath());
    // The restored work is where this session starts; undo does not lead into the
    // copies.
    form_->history().clear();
    return names;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!settleUnsavedChanges(tr("quit"))) {
        event->ignore();
        return;
    }
    QSettings().setValue(QLatin1String(kGeometryKey), saveGeometry());
    QMainWindow::closeEvent(event);
}

MainWindow::~MainWindow() = default;

RenderHost::CreateResult MainWindow::start() {
    const RenderHost::CreateResult result = form_->initialUpdate();
    if (result == RenderHost::CreateResult::Ok) {
        // The window opens as the user left it, or as large as its contents ask.
        if (!restoreGeometry(QSettings().value(QLatin1String(kGeometryKey)).toByteArray())) {
            adjustSize();
        }
        updateTitle();
    }
    return result;
}

QImage MainWindow::snapshot() {
    QImage picture = grab().toImage();
    // Widgets are painted by the window; the view's frame comes from its own
    // framebuffer and is laid over its place.
    if (RenderView* view = form_->host().view(); view != nullptr && view->isVisible()) {
        QPainter painter(&picture);
        const QRect place(view->mapTo(this, QPoint(0, 0)), view->size());
        painter.drawImage(place, view->grabFramebuffer());
    }
    return picture;
}

QAction* MainWindow::action(int id) const {
    return findChild<QAction*>(QString::number(id));
}
