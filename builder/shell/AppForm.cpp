#include "shell/AppForm.h"

#include "shell/EditCommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>
#include <cmath>

#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "filewrite/TemporarySaveFiles.h"
#include "host/RenderView.h"
#include "input/InputMapper.h"
#include "shell/AboutDialog.h"
#include "shell/CourseWarning.h"
#include "shell/DialogStart.h"
#include "shell/SliderDialog.h"
#include "tumbleway/tumbleway_ext.h"

namespace {

// Where the right-hand column of controls starts and how wide it is.
constexpr int kPanelLeft = 668;
constexpr int kPanelWidth = 236;
constexpr int kFormWidth = kPanelLeft + kPanelWidth + 8;
constexpr int kFormHeight = AppForm::kViewOrigin.y() + AppForm::kViewHeight + 12;
// How many steps undo can go back.
constexpr int kHistorySteps = 500;
// The gap between the view's pane and the column of controls.
constexpr int kPanelGap = kPanelLeft - AppForm::kViewOrigin.x() - AppForm::kViewWidth;

UINT mouseFlags(const QMouseEvent* event) {
    UINT flags = 0;
    if (event->buttons() & Qt::LeftButton) {
        flags |= 0x0001; // MK_LBUTTON
    }
    if (event->buttons() & Qt::RightButton) {
        flags |= 0x0002; // MK_RBUTTON
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        flags |= 0x0004; // MK_SHIFT
    }
    if (event->modifiers() & Qt::ControlModifier) {
        flags |= 0x0008; // MK_CONTROL
    }
    if (event->buttons() & Qt::MiddleButton) {
        flags |= 0x0010; // MK_MBUTTON
    }
    return flags;
}

POINT toPoint(QPointF p) {
    return POINT{static_cast<LONG>(std::floor(p.x())), static_cast<LONG>(std::floor(p.y()))};
}

} // namespace

AppForm::AppForm(QWidget* frame)
    : QWidget(frame), frame_(frame), startFolder_(QDir::currentPath()) {
    // Saves cut off by a crash leave their temporary files; the next start clears them.
    removeStaleSaveFiles(startFolder_.toStdString());
    setObjectName(QStringLiteral("form"));
    setMouseTracking(true);
    buildControls();
    // The view grows with the window; below the first size the controls would overlap.
    setMinimumSize(kFormWidth, kFormHeight);
    resize(kFormWidth, kFormHeight);
    history_ = std::make_unique<QUndoStack>();
    history_->setUndoLimit(kHistorySteps);
    confirm_ = [this](const QString& question) {
        host_->pause(true);
        const auto answer = QMessageBox::question(frame_, tr("Tumbleway Builder"), question);
        host_->pause(false);
        return answer == QMessageBox::Yes;
    };
    missingFilesAnswer_ = [this](const QStringList& missing) {
        QMessageBox box(QMessageBox::Warning, tr("Tumbleway Builder"),
                        tr("The scene names %n file(s) that are not found beside it or in the "
                           "folders files were opened from:",
                           nullptr, static_cast<int>(missing.size())),
                        QMessageBox::NoButton, frame_);
        box.setInformativeText(missing.join(QLatin1Char('\n')) +
                               tr("\n\nWithout them, what they are stays in the scene, "
                                  "shown as missing, and is saved with it."));
        QPushButton* look = box.addButton(tr("Look in a folder..."), QMessageBox::AcceptRole);
        box.addButton(tr("Open without them"), QMessageBox::RejectRole);
        box.setDefaultButton(look);
        host_->pause(true);
        box.exec();
        QString folder;
        if (box.clickedButton() == look) {
            folder = QFileDialog::getExistingDirectory(
                frame_, tr("The folder that holds the missing files"), QDir::currentPath());
        }
        host_->pause(false);
        host_->restoreEngineContext();
        return folder;
    };

    // The host is set up paused and with its creation size; the stored size wins.
    host_ = std::make_unique<RenderHost>(*this, viewFrame_, frame);
    host_->setCreationSize({500, 375});
    host_->readWindowSize();
    previousMessageHandler_ =
        SetMessageBoxHandler([this](const std::string& text, const std::string& caption,
                                    UINT type) { return showMessage(text, caption, type); });
    busy_ = true;
    xll_CAppForm();
    connect(host_.get(), &RenderHost::started, this, [this] {
        engineCall([this] { tellEngineViewSize(); });
        emit started();
    });
    connect(host_.get(), &RenderHost::windowedChanged, this, &AppForm::windowedChanged);
    // The engine lays points and picks in view pixels: it is told the view's new size.
    connect(host_.get(), &RenderHost::viewSizeChanged, this,
            [this] { engineCall([this] { tellEngineViewSize(); }); });
}

AppForm::~AppForm() {
    // The history goes with the form; whoever listened to it may be gone already.
    history_->disconnect();
    if (pointDialog_ != nullptr) {
        delete pointDialog_.data();
    }
    if (xfileDialog_ != nullptr) {
        delete xfileDialog_.data();
    }
    host_->shutdown();
    host_.reset();
    input_.reset();
    SetMessageBoxHandler(previousMessageHandler_);
}

void AppForm::buildControls() {
    tabs_ = new QTabBar(this);
    tabs_->setObjectName(QString::number(kTabControl));
    tabs_->setExpanding(false);
    tabs_->setDrawBase(false);
    tabs_->setFocusPolicy(Qt::NoFocus);

    // The pane under the tabs, with the view inside it.
    viewPane_ = new QWidget(this);
    viewPane_->setObjectName(QStringLiteral("pane"));
    viewPane_->setAutoFillBackground(true);
    viewPane_->setBackgroundRole(QPalette::Mid);
    viewPane_->setMouseTracking(true);
    tabs_->move(kViewOrigin.x() - 4, 2);
    tabs_->setFixedHeight(kViewOrigin.y() - 4);

    viewFrame_ = new QWidget(this);
    viewFrame_->setObjectName(QString::number(kViewControl));
    viewFrame_->setMouseTracking(true);
    viewFrame_->setAutoFillBackground(true);
    viewFrame_->setBackgroundRole(QPalette::Dark);

    auto* panel = new QWidget(this);
    panel_ = panel;
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    tree_ = new QTreeWidget(panel);
    tree_->setObjectName(QString::number(kTree));
    tree_->setHeaderHidden(true);
    tree_->setColumnCount(1);
    tree_->setRootIsDecorated(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setMinimumHeight(150);
    column->addWidget(tree_, 1);

    const auto makeButton = [](const char* text, int id, QWidget* parent) {
        auto* button = new QPushButton(tr(text), parent);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };

    auto* fileRow = new QHBoxLayout;
    // "import" opens files into the library; "delete" removes the course, placement or
    // sound relation chosen in the tree.
    auto* importButton = makeButton(QT_TR_NOOP("import"), kImportButton, panel);
    auto* deleteButton = makeButton(QT_TR_NOOP("delete"), kDeleteButton, panel);
    deleteButton->setEnabled(false);
    connect(importButton, &QPushButton::clicked, this, &AppForm::importRequested);
    connect(deleteButton, &QPushButton::clicked, this, &AppForm::onDelete);
    fileRow->addWidget(importButton);
    fileRow->addWidget(deleteButton);
    column->addLayout(fileRow);

    auto* files = new QGroupBox(tr("Files"), panel);
    auto* filesLayout = new QHBoxLayout(files);
    auto* assign = makeButton(QT_TR_NOOP("assign"), kAssignButton, files);
    filesLayout->addWidget(assign);
    filesLayout->addStretch();
    column->addWidget(files);

    auto* sound = new QGroupBox(tr("Sound"), panel);
    auto* soundLayout = new QGridLayout(sound);
    auto* play = makeButton(QT_TR_NOOP("play"), kPlayButton, sound);
    soundLayout->addWidget(play, 0, 0);
    const char* checkTexts[3] = {QT_TR_NOOP("X-file1"), QT_TR_NOOP("X-file2"), QT_TR_NOOP("Sound")};
    const int checkIds[3] = {kXfile1Check, kXfile2Check, kSoundCheck};
    const int editIds[3] = {kXfile1Edit, kXfile2Edit, kSoundEdit};
    for (int i = 0; i < 3; ++i) {
        checks_[i] = new QCheckBox(tr(checkTexts[i]), sound);
        checks_[i]->setObjectName(QString::number(checkIds[i]));
        checks_[i]->setFocusPolicy(Qt::TabFocus);
        edits_[i] = new QLineEdit(sound);
        edits_[i]->setObjectName(QString::number(editIds[i]));
        edits_[i]->setReadOnly(true);
        soundLayout->addWidget(checks_[i], i + 1, 0);
        soundLayout->addWidget(edits_[i], i + 1, 1);
        connect(checks_[i], &QCheckBox::clicked, this,
                [this, i](bool checked) { onCheckToggled(i, checked); });
    }
    auto* soundButtons = new QHBoxLayout;
    auto* soundAssign = makeButton(QT_TR_NOOP("assign"), kSoundAssignButton, sound);
    auto* soundRelease = makeButton(QT_TR_NOOP("release"), kSoundReleaseButton, sound);
    soundButtons->addWidget(soundAssign);
    soundButtons->addWidget(soundRelease);
    soundLayout->addLayout(soundButtons, 4, 0, 1, 2);
    column->addWidget(sound);

    auto* field = new QGroupBox(tr("Field"), panel);
    auto* fieldLayout = new QHBoxLayout(field);
    auto* create = makeButton(QT_TR_NOOP("create"), kCreateButton, field);
    auto* scan = makeButton(QT_TR_NOOP("scan"), kScanButton, field);
    auto* clear = makeButton(QT_TR_NOOP("clear"), kClearButton, field);
    fieldLayout->addWidget(create);
    fieldLayout->addWidget(scan);
    fieldLayout->addWidget(clear);
    column->addWidget(field);

    connect(assign, &QPushButton::clicked, this, &AppForm::onAssign);
    connect(play, &QPushButton::clicked, this,
            [this] { engineCall([] { xll_OnButtonSoundPlay(); }); });
    connect(soundAssign, &QPushButton::clicked, this, [this] { onSoundButton(true); });
    connect(soundRelease, &QPushButton::clicked, this, [this] { onSoundButton(false); });
    connect(create, &QPushButton::clicked, this, &AppForm::onCreateCourse);
    connect(scan, &QPushButton::clicked, this, &AppForm::onScan);
    connect(clear, &QPushButton::clicked, this, &AppForm::onClear);
    connect(tabs_, &QTabBar::currentChanged, this, &AppForm::onTabChanged);
    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &AppForm::onTreeSelectionChanged);
}

void AppForm::addControlGroup(QWidget* group) {
    group->setParent(panel_);
    panel_->layout()->addWidget(group);
}

RenderHost::CreateResult AppForm::initialUpdate() {
    const RenderHost::CreateResult result = host_->create();
    if (result != RenderHost::CreateResult::Ok) {
        return result;
    }
    // Inserting tabs is not a change of selection: the engine starts in "Edit" and the
    // tab shows it.
    {
        const QSignalBlocker blocker(tabs_);
        for (const char* name : {QT_TR_NOOP("Play"), QT_TR_NOOP("Edit"), QT_TR_NOOP("MakeField"),
                                 QT_TR_NOOP("ViewParts")}) {
            tabs_->addTab(tr(name));
        }
        tabs_->setCurrentIndex(currentTab_);
    }
    for (int k = 0; k < 4; ++k) {
        auto* root = new QTreeWidgetItem(tree_, {tr(FileTreeEntries::kRootNames[k])});
        root->setData(0, Qt::UserRole, k + 1);
        entries_.addRoot(static_cast<TreeKind>(k + 1), handleOf(root));
    }
    return result;
}

void AppForm::setFrameInput(std::unique_ptr<FrameInput> input) {
    input_ = std::move(input);
    if (input_ != nullptr) {
        input_->setInputWindow(frame_);
    }
}

HWND AppForm::frameHandle() const {
    return reinterpret_cast<HWND>(frame_.data());
}

HTREEITEM AppForm::handleOf(QTreeWidgetItem* item) {
    return reinterpret_cast<HTREEITEM>(item);
}

QPushButton* AppForm::button(ControlId id) const {
    return findChild<QPushButton*>(QString::number(id));
}

QCheckBox* AppForm::checkBox(ControlId id) const {
    return findChild<QCheckBox*>(QString::number(id));
}

QLineEdit* AppForm::edit(ControlId id) const {
    return findChild<QLineEdit*>(QString::number(id));
}

// ---- Render steps ----

void AppForm::oneTimeSceneInit() {
    if (input_ == nullptr) {
        setFrameInput(std::make_unique<InputMapper>());
    }
    xll_OneTimeSceneInit(frameHandle());
    scanning_ = false;
    currentSound_ = nullptr;
    xfile1Pick_ = xfile2Pick_ = nullptr;
    viewOrigin_ = kViewOrigin;
}

void AppForm::initDeviceObjects(IDirect3DDevice9* device) {
    busy_ = false;
    xll_InitDeviceObjects(device);
}

void AppForm::restoreDeviceObjects() {
    xll_RestoreDeviceObjects();
}

void AppForm::frameMove() {
    // The input hook: the current tab's input exports, once per frame, before the
    // engine moves the frame on.
    if (input_ != nullptr) {
        input_->apply(currentTab_, requests_);
    }
    serveRequests();
    if (frameObserver_ != nullptr) {
        frameObserver_->beforeFrameMove();
    }
    xll_FrameMove();
    if (frameObserver_ != nullptr) {
        frameObserver_->afterFrameMove();
    }
    updateControlled();
}

void AppForm::render() {
    xll_Render();
}

void AppForm::invalidateDeviceObjects() {
    xll_InvalidateDeviceObjects();
}

void AppForm::deleteDeviceObjects() {
    xll_DeleteDeviceObjects();
}

void AppForm::serveRequests() {
    // Dialogs cannot run inside a frame: they are served right after it, with the
    // frames paused while they are open.
    if (requests_.configureInput && host_->isWindowed()) {
        requests_.configureInput = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                host_->pause(true);
                if (input_ != nullptr) {
                    input_->configure(frame_);
                }
                host_->pause(false);
            },
            Qt::QueuedConnection);
    }
    if (requests_.configureDisplay) {
        requests_.configureDisplay = false;
        QMetaObject::invokeMethod(host_.get(), &RenderHost::runDisplaySettingsDialog,
                                  Qt::QueuedConnection);
    }
}

void AppForm::adjustWindowForChange(bool windowed) {
    auto* frame = qobject_cast<QMainWindow*>(frame_.data());
    RenderView* view = host_->view();
    if (!windowed) {
        windowedFrameGeometry_ = frame_->geometry();
        if (frame != nullptr) {
            frame->menuBar()->hide();
            frame->statusBar()->hide();
        }
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        frame_->setMinimumSize(0, 0);
        frame_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        viewFrame_->raise();
        viewFrame_->setCursor(Qt::BlankCursor);
        frame_->showFullScreen();
        viewFrame_->setGeometry(rect());
    } else {
        frame_->showNormal();
        setMinimumSize(kFormWidth, kFormHeight);
        viewFrame_->unsetCursor();
        if (frame != nullptr) {
            frame->menuBar()->show();
            frame->statusBar()->show();
        }
        if (windowedFrameGeometry_.isValid()) {
            frame_->setGeometry(windowedFrameGeometry_);
        }
        layOutControls();
    }
    if (view != nullptr) {
        view->setFocus();
    }
    if (input_ != nullptr) {
        input_->setInputWindow(frame_);
    }
}

void AppForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutControls();
}

void AppForm::layOutControls() {
    if (host_ != nullptr && !host_->isWindowed()) {
        viewFrame_->setGeometry(rect());
        return;
    }
    // The view keeps its corner and takes whatever the column of controls leaves.
    const int panelLeft = std::max(width(), kFormWidth) - kPanelWidth - 8;
    const int viewWidth = panelLeft - kPanelGap - kViewOrigin.x();
    const int viewHeight = std::max(height(), kFormHeight) - kViewOrigin.y() - 12;
    panel_->setGeometry(panelLeft, 6, kPanelWidth, std::max(height(), kFormHeight) - 12);
    viewPane_->setGeometry(kViewOrigin.x() - 4, kViewOrigin.y() - 3, viewWidth + 8, viewHeight + 7);
    viewFrame_->setGeometry(kViewOrigin.x(), kViewOrigin.y(), viewWidth, viewHeight);
}

// ---- Mouse ----

bool AppForm::forwardsMouse() const {
    return host_ != nullptr && host_->isStarted() && host_->isWindowed() && !busy_ &&
           !viewMouseHeld_;
}

void AppForm::tellEngineViewSize() {
    const QSize size = viewFrame_->size() * viewFrame_->devicePixelRatioF();
    xll_OnInitialUpdate(static_cast<unsigned long>(size.width()),
                        static_cast<unsigned long>(size.height()), frameHandle());
}

POINT AppForm::engineViewPoint(QPointF formPoint) const {
    return toPoint((formPoint - QPointF(viewOrigin_)) * viewFrame_->devicePixelRatioF());
}

POINT AppForm::engineFormPoint(QPointF formPoint) const {
    const POINT inView = engineViewPoint(formPoint);
    return POINT{inView.x + viewOrigin_.x(), inView.y + viewOrigin_.y()};
}

void AppForm::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    // A press on the background of the controls is no press into the scene: in Play
    // it would pick nothing and let go of the driven mesh.
    if (!viewFrame_->geometry().contains(point)) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (forwardsMouse() && event->button() == Qt::LeftButton) {
        const auto press = [&] {
            engineCall(
                [&] { xll_OnLButtonDown(mouseFlags(event), engineFormPoint(event->position())); });
        };
        if (currentTab_ == 2) {
            // The points a course was just made from stay for a create that copies
            // them; a click starts the next course's points afresh instead of adding
            // to them.
            const bool afresh = pointsAtLastCreate_ >= 0;
            pointsAtLastCreate_ = -1;
            recordPointsEdit(tr("lay a point"), [&] {
                if (afresh) {
                    engineCall([] {
                        const LSession_t none;
                        twx_set_working_points(&none);
                    });
                }
                press();
            });
        } else {
            // A drag in Edit is one step, from here to the release.
            const HTREEITEM course = currentTab_ == 1 ? engineCurrentCourse() : nullptr;
            dragBefore_.reset();
            if (course != nullptr) {
                engineCall([&] { dragBefore_ = takeCourseSnapshot(course); });
            }
            press();
        }
    } else if (forwardsMouse() && event->button() == Qt::RightButton) {
        onRightButtonDown(event->position());
    }
    QWidget::mousePressEvent(event);
    event->accept();
}

void AppForm::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (forwardsMouse()) {
        engineCall([&] { xll_OnMouseMove(mouseFlags(event), engineFormPoint(event->position())); });
    }
}

void AppForm::mouseReleaseEvent(QMouseEvent* event) {
    if (forwardsMouse() && event->button() == Qt::LeftButton) {
        engineCall([&] { xll_OnLButtonUp(mouseFlags(event), engineFormPoint(event->position())); });
        if (dragBefore_) {
            CourseSnapshot after;
            engineCall([&] { after = takeCourseSnapshot(dragBefore_->item); });
            if (after.item != nullptr && after.text() != dragBefore_->text()) {
                const HTREEITEM course = after.item;
                const std::optional<PlacedElement> moved = movedElement(*dragBefore_, after);
                const QString name =
                    moved ? QString::fromStdString(elementName(after, *moved)) : QString();
                history_->push(std::make_unique<CourseEdit>(*this, tr("move %1").arg(name),
                                                            std::move(*dragBefore_),
                                                            std::move(after))
                                   .release());
                courseChanged(course);
            }
            dragBefore_.reset();
        }
    }
    QWidget::mouseReleaseEvent(event);
}

void AppForm::onRightButtonDown(QPointF formPoint) {
    const POINT viewPoint = engineViewPoint(formPoint);
    const QPoint screen = viewFrame_->mapToGlobal((formPoint - QPointF(viewOrigin_)).toPoint());
    if (currentTab_ == 1) {
        bool hit = false;
        D3DXVECTOR3 direction;
        D3DXVECTOR3 origin;
        engineCall([&] {
            hit = xll_app_select_object(viewPoint, POINT{kViewWidth, kViewHeight}, &direction,
                                        &origin);
        });
        if (hit) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("IDR_MENU_EDIT_XFLIE"));
            QAction* adjust = menu.addAction(tr("Change height/orientation"));
            if (menu.exec(screen) == adjust) {
                openXfileDialog();
            }
        }
    } else if (currentTab_ == 2) {
        bool hit = false;
        engineCall([&] { hit = xll_app_check_selected_point(viewPoint); });
        if (hit) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("IDR_MENU_MAKEFIELD"));
            QAction* adjust = menu.addAction(tr("Change height/incline"));
            // Deleting a single point is not offered yet.
            menu.addAction(tr("Delete"))->setEnabled(false);
            if (menu.exec(screen) == adjust) {
                openPointDialog();
            }
        }
    }
}

// ---- Dialogs and messages ----

void AppForm::openPointDialog() {
    if (pointDialog_ == nullptr) {
        pointDialog_ = new SliderDialog(tr("Point"), WM_MOD_POINT,
                                        {QT_TR_NOOP("Height"), 2024, 2033, -5, 5, 1},
                                        {QT_TR_NOOP("Incline"), 2029, 2030, -50, 50, 10}, this);
        connect(pointDialog_, &SliderDialog::posted, this, &AppForm::postMessage);
    }
    std::optional<SliderStart> start;
    engineCall([&] { start = chosenPointStart(); });
    if (start) {
        pointDialog_->setValues(start->first, start->second);
    }
    pointDialog_->show();
    pointDialog_->raise();
    pointDialog_->activateWindow();
}

void AppForm::openXfileDialog() {
    if (xfileDialog_ == nullptr) {
        xfileDialog_ =
            new SliderDialog(tr("Height and orientation"), WM_MOD_XFILE,
                             {QT_TR_NOOP("Height"), 2036, 2037, -5, 5, 1},
                             {QT_TR_NOOP("Orientation"), 2034, 2035, -180, 180, 5}, this);
        connect(xfileDialog_, &SliderDialog::posted, this, &AppForm::postMessage);
    }
    std::optional<SliderStart> start;
    engineCall([&] { start = chosenMeshStart(); });
    if (start) {
        xfileDialog_->setValues(start->first, start->second);
    }
    xfileDialog_->show();
    xfileDialog_->raise();
    xfileDialog_->activateWindow();
}

void AppForm::postMessage(UINT message, UINT wParam, LONG lParam) {
    QMetaObject::invokeMethod(
        this, [this, message, wParam, lParam] { handleMessage(message, wParam, lParam); },
        Qt::QueuedConnection);
}

void AppForm::handleMessage(UINT message, UINT wParam, LONG lParam) {
    if (message == WM_MOD_POINT) {
        // Only the point handler: the placement handler would also raise and turn the
        // last placed mesh, which the user never touched.
        const auto edit = [&] {
            engineCall([&] { xll_WindowProc_WM_MOD_POINT(message, wParam, lParam); });
        };
        if (engineCurrentCourse() != nullptr) {
            recordCourseEdit(tr("change a point"), edit);
        } else {
            recordPointsEdit(tr("change a laid point"), edit);
        }
        if (const QString warning = courseWarning(); !warning.isEmpty()) {
            // A point edit builds the course anew: a height or an incline can fold it.
            emit statusMessage(warning);
        }
    } else if (message == WM_MOD_XFILE) {
        const QString name = controlledItem_ != nullptr ? controlledItem_->text(0) : QString();
        recordCourseEdit(tr("adjust %1").arg(name), [&] {
            engineCall([&] { xll_WindowProc_WM_MOD_XFILE(message, wParam, lParam); });
        });
        emit statusMessage(tr("Raised %1 by %2 and turned it to %3 degrees.")
                               .arg(name)
                               .arg(static_cast<std::int32_t>(wParam))
                               .arg(static_cast<std::int32_t>(lParam)));
    }
}

QString AppForm::courseWarning() {
    TwxCourseCheck check{};
    int found = 0;
    engineCall([&] { found = twx_check_course(&check, nullptr, 0); });
    return found > 0 ? courseCheckWarning(check) : QString();
}

void AppForm::showAbout() {
    AboutDialog about(this);
    about.exec();
}

int AppForm::showMessage(const std::string& text, const std::string& caption, UINT type) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((type & 0xF0) == MB_ICONERROR) {
        icon = QMessageBox::Critical;
    } else if ((type & 0xF0) == MB_ICONWARNING) {
        icon = QMessageBox::Warning;
    }
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::Ok, frame_);
    host_->pause(true);
    box.exec();
    host_->pause(false);
    // The box ran the event loop; engine calls that asked for it go on with the view's
    // context current again.
    host_->restoreEngineContext();
    return IDOK;
}

// ---- Controls ----

void AppForm::onTabChanged(int index) {
    currentTab_ = index;
    if (index != 2) {
        pointsAtLastCreate_ = -1; // every other tab clears the points being laid
    }
    engineCall([index] { xll_OnSelchangeTab(static_cast<unsigned>(index)); });
    updateModified(); // leaving MakeField may have let go of the points being laid
    if (const QString hint = tabHint(index); !hint.isEmpty()) {
        emit statusMessage(hint);
    }
}

QString AppForm::tabHint(int index) const {
    // What a tab needs before it shows anything, for a user who arrives with nothing.
    switch (index) {
    case 0:
    case 1:
        return currentCourse_ == nullptr
                   ? tr("Choose a course in the tree, open a scene, or lay a course in "
                        "MakeField.")
                   : QString();
    case 2:
        return tr("Click points round the course to be, then press create.");
    case 3:
        return currentXfile_ == nullptr && currentBitmap_ == nullptr
                   ? tr("Choose a mesh under X-file or a bitmap under BMP in the tree to look at "
                        "it "
                        "here.")
                   : QString();
    default:
        return {};
    }
}

void AppForm::onCheckToggled(int which, bool checked) {
    checked_[which] = checked;
    FileEntry** picks[3] = {&xfile1Pick_, &xfile2Pick_, &soundPick_};
    // A checked box freezes its pick; unchecking lets it be chosen again.
    edits_[which]->setEnabled(!checked);
    if (!checked && *picks[which] != nullptr) {
        *picks[which] = nullptr;
        edits_[which]->clear();
    }
}

void AppForm::clearSoundPicks() {
    xfile1Pick_ = xfile2Pick_ = soundPick_ = nullptr;
    for (int i = 0; i < 3; ++i) {
        edits_[i]->clear();
        edits_[i]->setEnabled(true);
        checked_[i] = false;
        checks_[i]->setChecked(false);
    }
}

void AppForm::onSoundButton(bool assign) {
    const QString refused = assign ? tr("Not assigned: %1") : tr("Not released: %1");
    if (currentCourse_ == nullptr) {
        emit statusMessage(refused.arg(tr("choose a course first; a sound belongs to objects "
                                          "placed on it.")));
        return;
    }
    if (!checked_[0] || !checked_[1] || !checked_[2] || soundPick_ == nullptr ||
        xfile1Pick_ == nullptr) {
        emit statusMessage(refused.arg(
            tr("choose a mesh for X-file1, a second one for X-file2 (or none: the sound then "
               "plays while X-file1 moves) and a sound, and check all three boxes.")));
        return;
    }
    const bool collision = xfile2Pick_ != nullptr;
    const HTREEITEM first = handleOf(xfile1Pick_->item);
    const HTREEITEM second = collision ? handleOf(xfile2Pick_->item) : nullptr;
    const HTREEITEM sound = handleOf(soundPick_->item);
    const QString name = QString::fromStdString(soundPick_->name);
    const QString mover = QString::fromStdString(xfile1Pick_->name);
    const QString relation =
        collision
            ? tr("%1 when %2 hits %3").arg(name, mover, QString::fromStdString(xfile2Pick_->name))
            : tr("%1 while %2 moves").arg(name, mover);
    const bool changed = recordCourseEdit(
        assign ? tr("assign %1").arg(name) : tr("release %1").arg(name), [=, this] {
            engineCall([=] {
                // The relation made is the one the three edits show.
                twx_set_relation_picks(first, second, sound);
                if (assign) {
                    collision ? xll_OnButtonSoundAssign_Collision()
                              : xll_OnButtonSoundAssign_Move();
                } else {
                    collision ? xll_OnButtonSoundRelease_Collision()
                              : xll_OnButtonSoundRelease_Move();
                }
            });
        });
    clearSoundPicks();
    if (changed) {
        emit statusMessage(assign ? tr("Assigned: %1.").arg(relation)
                                  : tr("Released: %1.").arg(relation));
    } else {
        emit statusMessage(
            assign ? tr("Not assigned: %1 is assigned already, or its meshes are not placed on "
                        "this course.")
                         .arg(relation)
                   : tr("Not released: %1 was not assigned on this course.").arg(relation));
    }
}

void AppForm::onAssign() {
    const FileEntry* placed = currentXfile_ != nullptr ? currentXfile_ : currentBitmap_;
    const QString name = placed != nullptr ? QString::fromStdString(placed->name) : QString();
    const HTREEITEM course = engineCurrentCourse();
    if (recordCourseEdit(tr("place %1").arg(name),
                         [this] { engineCall([] { xll_OnAssign(); }); })) {
        const QString courseName = reinterpret_cast<QTreeWidgetItem*>(course)->text(0);
        emit statusMessage(tr("Placed %1 on %2.").arg(name, courseName));
    } else if (course == nullptr) {
        emit statusMessage(tr("Not placed: choose a course first."));
    } else if (placed == nullptr) {
        emit statusMessage(tr("Not placed: choose a mesh or a bitmap in the library first."));
    } else {
        // The engine has said why in its own message.
        emit statusMessage(tr("Not placed: %1 could not be read.").arg(name));
    }
}

void AppForm::onScan() {
    // Without a current course the engine has nothing to scan (the view says to choose
    // one): the button keeps saying what a press does.
    if (engineCurrentCourse() == nullptr) {
        return;
    }
    scanning_ = !scanning_;
    engineCall([] { xll_OnButtonScanCourse(); });
    button(kScanButton)->setText(scanning_ ? tr("stop") : tr("scan"));
}
