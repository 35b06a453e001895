#include "shell/AppForm.h"

#include <QApplication>
#include <QCheckBox>
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
#include <QVBoxLayout>

#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "host/RenderView.h"
#include "input/InputMapper.h"
#include "shell/AboutDialog.h"
#include "shell/SliderDialog.h"

namespace {

// Where the right-hand column of controls starts and how wide it is.
constexpr int kPanelLeft = 668;
constexpr int kPanelWidth = 236;
constexpr int kFormWidth = kPanelLeft + kPanelWidth + 8;
constexpr int kFormHeight = AppForm::kViewOrigin.y() + AppForm::kViewHeight + 12;

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

POINT toPoint(QPoint p) {
    return POINT{p.x(), p.y()};
}

} // namespace

AppForm::AppForm(QWidget* frame) : QWidget(frame), frame_(frame) {
    setObjectName(QStringLiteral("form"));
    setMouseTracking(true);
    buildControls();
    setFixedSize(kFormWidth, kFormHeight);

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
        engineCall([this] {
            xll_OnInitialUpdate(static_cast<unsigned long>(viewFrame_->width()),
                                static_cast<unsigned long>(viewFrame_->height()), frameHandle());
        });
        emit started();
    });
    connect(host_.get(), &RenderHost::windowedChanged, this, &AppForm::windowedChanged);
}

AppForm::~AppForm() {
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
    viewPane_->setGeometry(kViewOrigin.x() - 4, kViewOrigin.y() - 3, kViewWidth + 8,
                           kViewHeight + 7);
    viewPane_->setAutoFillBackground(true);
    viewPane_->setBackgroundRole(QPalette::Mid);
    viewPane_->setMouseTracking(true);
    tabs_->move(kViewOrigin.x() - 4, 2);
    tabs_->setFixedHeight(kViewOrigin.y() - 4);

    viewFrame_ = new QWidget(this);
    viewFrame_->setObjectName(QString::number(kViewControl));
    viewFrame_->setGeometry(kViewOrigin.x(), kViewOrigin.y(), kViewWidth, kViewHeight);
    viewFrame_->setMouseTracking(true);
    viewFrame_->setAutoFillBackground(true);
    viewFrame_->setBackgroundRole(QPalette::Dark);
    windowedViewGeometry_ = viewFrame_->geometry();

    auto* panel = new QWidget(this);
    panel->setGeometry(kPanelLeft, 6, kPanelWidth, kFormHeight - 12);
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
        auto* button = new QPushButton(QString::fromUtf8(text), parent);
        button->setObjectName(QString::number(id));
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
        return button;
    };

    auto* fileRow = new QHBoxLayout;
    auto* importButton = makeButton("import", kImportButton, panel);
    auto* deleteButton = makeButton("delete", kDeleteButton, panel);
    importButton->setEnabled(false);
    deleteButton->setEnabled(false);
    fileRow->addWidget(importButton);
    fileRow->addWidget(deleteButton);
    column->addLayout(fileRow);

    auto* files = new QGroupBox(QStringLiteral("Files"), panel);
    auto* filesLayout = new QHBoxLayout(files);
    auto* assign = makeButton("assign", kAssignButton, files);
    filesLayout->addWidget(assign);
    filesLayout->addStretch();
    column->addWidget(files);

    auto* sound = new QGroupBox(QStringLiteral("Sound"), panel);
    auto* soundLayout = new QGridLayout(sound);
    auto* play = makeButton("play", kPlayButton, sound);
    soundLayout->addWidget(play, 0, 0);
    const char* checkTexts[3] = {"X-file1", "X-file2", "Sound"};
    const int checkIds[3] = {kXfile1Check, kXfile2Check, kSoundCheck};
    const int editIds[3] = {kXfile1Edit, kXfile2Edit, kSoundEdit};
    for (int i = 0; i < 3; ++i) {
        checks_[i] = new QCheckBox(QString::fromUtf8(checkTexts[i]), sound);
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
    auto* soundAssign = makeButton("assign", kSoundAssignButton, sound);
    auto* soundRelease = makeButton("release", kSoundReleaseButton, sound);
    soundButtons->addWidget(soundAssign);
    soundButtons->addWidget(soundRelease);
    soundLayout->addLayout(soundButtons, 4, 0, 1, 2);
    column->addWidget(sound);

    auto* field = new QGroupBox(QStringLiteral("Field"), panel);
    auto* fieldLayout = new QHBoxLayout(field);
    auto* create = makeButton("create", kCreateButton, field);
    auto* scan = makeButton("scan", kScanButton, field);
    auto* clear = makeButton("clear", kClearButton, field);
    fieldLayout->addWidget(create);
    fieldLayout->addWidget(scan);
    fieldLayout->addWidget(clear);
    column->addWidget(field);

    connect(assign, &QPushButton::clicked, this, [this] { engineCall([] { xll_OnAssign(); }); });
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

RenderHost::CreateResult AppForm::initialUpdate() {
    const RenderHost::CreateResult result = host_->create();
    if (result != RenderHost::CreateResult::Ok) {
        return result;
    }
    // Inserting tabs is not a change of selection: the engine starts in "Edit" and the
    // tab shows it.
    {
        const QSignalBlocker blocker(tabs_);
        for (const char* name : {"Play", "Edit", "MakeField", "ViewParts"}) {
            tabs_->addTab(QString::fromLatin1(name));
        }
        tabs_->setCurrentIndex(currentTab_);
    }
    for (int k = 0; k < 4; ++k) {
        auto* root =
            new QTreeWidgetItem(tree_, {QString::fromLatin1(FileTreeEntries::kRootNames[k])});
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

template <typename F>
void AppForm::engineCall(F&& call) {
    RenderHost::EngineScope scope(*host_);
    call();
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
    xll_FrameMove();
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
        setFixedSize(kFormWidth, kFormHeight);
        viewFrame_->setGeometry(windowedViewGeometry_);
        viewFrame_->unsetCursor();
        if (frame != nullptr) {
            frame->menuBar()->show();
            frame->statusBar()->show();
        }
        frame_->adjustSize();
        frame_->setFixedSize(frame_->sizeHint());
        if (windowedFrameGeometry_.isValid()) {
            frame_->move(windowedFrameGeometry_.topLeft());
        }
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
    if (host_ != nullptr && !host_->isWindowed()) {
        viewFrame_->setGeometry(rect());
    }
}

// ---- Mouse ----

bool AppForm::forwardsMouse() const {
    return host_ != nullptr && host_->isStarted() && host_->isWindowed() && !busy_;
}

void AppForm::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (forwardsMouse() && event->button() == Qt::LeftButton) {
        engineCall([&] { xll_OnLButtonDown(mouseFlags(event), toPoint(point)); });
    } else if (forwardsMouse() && event->button() == Qt::RightButton) {
        onRightButtonDown(point);
    }
    QWidget::mousePressEvent(event);
    event->accept();
}

void AppForm::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (forwardsMouse()) {
        const QPoint point = event->position().toPoint();
        engineCall([&] { xll_OnMouseMove(mouseFlags(event), toPoint(point)); });
    }
}

void AppForm::mouseReleaseEvent(QMouseEvent* event) {
    if (forwardsMouse() && event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        engineCall([&] { xll_OnLButtonUp(mouseFlags(event), toPoint(point)); });
    }
    QWidget::mouseReleaseEvent(event);
}

void AppForm::onRightButtonDown(QPoint formPoint) {
    const QPoint viewPoint = formPoint - viewOrigin_;
    const QPoint screen = viewFrame_->mapToGlobal(viewPoint);
    if (currentTab_ == 1) {
        bool hit = false;
        D3DXVECTOR3 direction;
        D3DXVECTOR3 origin;
        engineCall([&] {
            hit = xll_app_select_object(toPoint(viewPoint), POINT{kViewWidth, kViewHeight},
                                        &direction, &origin);
        });
        if (hit) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("IDR_MENU_EDIT_XFLIE"));
            QAction* adjust = menu.addAction(QStringLiteral("高さ/向き変更"));
            if (menu.exec(screen) == adjust) {
                openXfileDialog();
            }
        }
    } else if (currentTab_ == 2) {
        bool hit = false;
        engineCall([&] { hit = xll_app_check_selected_point(toPoint(viewPoint)); });
        if (hit) {
            QMenu menu(this);
            menu.setObjectName(QStringLiteral("IDR_MENU_MAKEFIELD"));
            QAction* adjust = menu.addAction(QStringLiteral("高さ/傾き変更"));
            // Deleting a single point is not offered yet.
            menu.addAction(QStringLiteral("削除"))->setEnabled(false);
            if (menu.exec(screen) == adjust) {
                openPointDialog();
            }
        }
    }
}

// ---- Dialogs and messages ----

void AppForm::openPointDialog() {
    if (pointDialog_ == nullptr) {
        pointDialog_ = new SliderDialog(QStringLiteral("指定ポイントの情報"), WM_MOD_POINT,
                                        {"高さ", 2024, 2033, -5, 5, 1},
                                        {"傾き", 2029, 2030, -50, 50, 10}, this);
        connect(pointDialog_, &SliderDialog::posted, this, &AppForm::postMessage);
    }
    pointDialog_->show();
    pointDialog_->raise();
    pointDialog_->activateWindow();
}

void AppForm::openXfileDialog() {
    if (xfileDialog_ == nullptr) {
        xfileDialog_ = new SliderDialog(QStringLiteral("高さ・向きの調整"), WM_MOD_XFILE,
                                        {"高さ", 2036, 2037, -5, 5, 1},
                                        {"向き", 2034, 2035, -180, 180, 5}, this);
        connect(xfileDialog_, &SliderDialog::posted, this, &AppForm::postMessage);
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
    engineCall([&] {
        if (message == WM_MOD_POINT) {
            // The point dialog's message also reaches the placement handler.
            xll_WindowProc_WM_MOD_POINT(message, wParam, lParam);
            xll_WindowProc_WM_MOD_XFILE(message, wParam, lParam);
        } else if (message == WM_MOD_XFILE) {
            xll_WindowProc_WM_MOD_XFILE(message, wParam, lParam);
        }
    });
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
    engineCall([index] { xll_OnSelchangeTab(static_cast<unsigned>(index)); });
}

void AppForm::onTreeSelectionChanged() {
    const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    QTreeWidgetItem* item = selected.front();
    const HTREEITEM handle = handleOf(item);
    const auto entry = entries_.findById(item->data(0, Qt::UserRole).toInt());
    if (!entry) {
        return;
    }
    const auto find = [item](std::list<FileEntry>& files) -> FileEntry* {
        for (auto& file : files) {
            if (file.item == item) {
                return &file;
            }
        }
        return nullptr;
    };
    switch (entry->kind) {
    case TreeKind::Xfile: {
        currentXfile_ = find(xfiles_);
        engineCall([handle] { xll_setListXfile(handle); });
        if (currentXfile_ != nullptr) {
            if (!checked_[0] && !checked_[1]) {
                xfile1Pick_ = currentXfile_;
                edits_[0]->setText(QString::fromStdString(currentXfile_->name));
            } else if (checked_[0] && !checked_[1]) {
                xfile2Pick_ = currentXfile_;
                edits_[1]->setText(QString::fromStdString(currentXfile_->name));
            }
        }
        break;
    }
    case TreeKind::Bitmap:
        currentBitmap_ = find(bitmaps_);
        engineCall([handle] { xll_setListBmp(handle); });
        break;
    case TreeKind::Sound:
        currentSound_ = find(sounds_);
        if (currentSound_ != nullptr) {
            soundPick_ = currentSound_;
            edits_[2]->setText(QString::fromStdString(currentSound_->name));
        }
        engineCall([handle] { xll_setListSound(handle); });
        break;
    case TreeKind::Course: {
        currentCourse_ = nullptr;
        for (auto& course : courses_) {
            if (course.item == handle) {
                currentCourse_ = &course;
                break;
            }
        }
        engineCall([handle] { xll_setListCourse(handle); });
        break;
    }
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
    if (currentCourse_ == nullptr || !checked_[0] || !checked_[1] || !checked_[2] ||
        soundPick_ == nullptr || xfile1Pick_ == nullptr) {
        return;
    }
    const bool collision = xfile2Pick_ != nullptr;
    engineCall([assign, collision] {
        if (assign) {
            collision ? xll_OnButtonSoundAssign_Collision() : xll_OnButtonSoundAssign_Move();
        } else {
            collision ? xll_OnButtonSoundRelease_Collision() : xll_OnButtonSoundRelease_Move();
        }
    });
    clearSoundPicks();
}

QTreeWidgetItem* AppForm::insertTreeItem(TreeKind kind, const QString& text, std::int32_t level) {
    auto* root = reinterpret_cast<QTreeWidgetItem*>(entries_.root(kind));
    const std::int32_t id = entries_.nextId();
    auto* item = new QTreeWidgetItem(root, {text});
    item->setData(0, Qt::UserRole, id);
    entries_.add(kind, handleOf(item), level);
    root->setExpanded(true);
    return item;
}

void AppForm::onCreateCourse() {
    const std::int32_t number = entries_.nextCourseNumber();
    QTreeWidgetItem* item = insertTreeItem(
        TreeKind::Course, QString::fromStdString(FileTreeEntries::courseName(number)), number);
    LSession_t entry;
    entry.item = handleOf(item);
    courses_.push_back(entry);
    std::int32_t n = 1;
    for (auto& course : courses_) {
        course.number = n++;
    }
    currentCourse_ = &courses_.back();
    long result = 0;
    engineCall([&] { result = xll_OnButtonCreateCourse(handleOf(item)); });
    if (result < 0) {
        entries_.remove(handleOf(item));
        delete item;
    }
}

void AppForm::onScan() {
    scanning_ = !scanning_;
    engineCall([] { xll_OnButtonScanCourse(); });
    button(kScanButton)->setText(scanning_ ? QStringLiteral("stop") : QStringLiteral("scan"));
}

void AppForm::onClear() {
    engineCall([] { xll_OnButtonClearCourse(); });
    currentCourse_ = nullptr;
}

// ---- Files ----

void AppForm::onDocumentUpdate(const FileDocument& document) {
    if (busy_) {
        return;
    }
    if (document.open) {
        LF_t record{};
        if (!fillFileRecord(document.file, &record)) {
            showMessage("The file name is too long: at most 127 characters can be opened.\n" +
                            document.file.name,
                        "Tumbleway Builder", MB_OK | MB_ICONERROR);
            return;
        }
        switch (openActionForExtension(document.file.ext)) {
        case OpenAction::AddXfile:
            addLibraryFile(TreeKind::Xfile, xfiles_, record, &xll_ui_push_xfile);
            break;
        case OpenAction::AddBitmap:
            addLibraryFile(TreeKind::Bitmap, bitmaps_, record, &xll_ui_push_bmp);
            break;
        case OpenAction::AddSound:
            addLibraryFile(TreeKind::Sound, sounds_, record, &xll_ui_push_wav);
            break;
        case OpenAction::OpenBinarySession:
            openSession(true, document.file.name);
            break;
        case OpenAction::OpenXmlSession:
            openSession(false, document.file.name);
            break;
        case OpenAction::None:
            break;
        }
    }
    if (document.save && currentCourse_ != nullptr) {
        writeSessionFile(*currentCourse_, kSessionFileName);
    }
    if (document.saveAs && isXmlExtension(document.file.ext)) {
        auto session = std::make_unique<LSession_t>();
        engineCall([&] { xll_app_get_Session_Iterator(session.get()); });
        writeSimulationFile(*session, document.file.path);
        engineCall([&] { xll_app_delete_Session_Iterator(session.get()); });
    }
}

void AppForm::addLibraryFile(TreeKind kind, std::list<FileEntry>& files, LF_t& record,
                             void (*push)(LF_t*, HTREEITEM*)) {
    const QString name = QString::fromUtf8(record.name);
    QTreeWidgetItem* item = insertTreeItem(kind, name, 1);
    files.push_back({record.name, item});
    HTREEITEM handle = handleOf(item);
    engineCall([&] { push(&record, &handle); });
}

void AppForm::openSession(bool binary, const std::string& name) {
    LSession_t record;
    // Whatever the reader reports, the course is made: an unreadable file gives an
    // empty one.
    if (binary) {
        readSessionFile(name, record);
    } else {
        readSimulationFile(name, record);
    }
    const std::int32_t number = entries_.nextCourseNumber();
    QTreeWidgetItem* item = insertTreeItem(
        TreeKind::Course, QString::fromStdString(FileTreeEntries::courseName(number)), number);
    record.item = handleOf(item);
    record.built = 0;
    courses_.push_back(record);
    int courseNumber = 0;
    engineCall([&] {
        xll_ui_restore_session(&record, &courseNumber);
        xll_setListCourse(record.item);
    });
    currentCourse_ = &courses_.back();
    currentCourse_->number = courseNumber;
}
