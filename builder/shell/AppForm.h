#pragma once

#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include <list>
#include <map>
#include <memory>
#include <string>

#include "host/FrameInput.h"
#include "host/RenderHost.h"
#include "shell/FileCommands.h"
#include "shell/FileTree.h"
#include "shell/FrameObserver.h"
#include "tumbleway/tumbleway.h"
#include "win32/win32.h"

#include "drive/CourseSnapshot.h"
#include "edit/EditRevisions.h"
#include "files/MissingAssets.h"
#include "shell/CourseChildren.h"
#include "shell/SliderDialog.h"

class QCheckBox;
class QUndoStack;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTreeWidget;
class QTreeWidgetItem;

// The form: the 3-D view with the mode tabs above it, the tree of loaded files and
// courses, and the buttons that drive the engine. It fills the render host's steps
// with the engine's lifecycle calls and does the work of the file commands.
//
// Points given to the engine are in form client coordinates; the view sits at
// kViewOrigin, so a form point minus kViewOrigin is a point of the view (in the view's
// device pixels, on a screen that scales the form). The view
// starts kViewWidth x kViewHeight and grows with the window; the controls keep their
// column on the right.
class AppForm : public QWidget, public RenderSteps, public DocumentView {
    Q_OBJECT
public:
    static constexpr int kViewWidth = 640;
    static constexpr int kViewHeight = 480;
    static constexpr QPoint kViewOrigin{12, 28};

    // Control ids, also the controls' object names.
    enum ControlId {
        kViewControl = 2002,
        kTabControl = 2005,
        kTree = 2006,
        kImportButton = 2008,
        kDeleteButton = 2009,
        kAssignButton = 2010,
        kPlayButton = 2015,
        kCreateButton = 2018,
        kScanButton = 2019,
        kSoundAssignButton = 2020,
        kSoundReleaseButton = 2021,
        kXfile1Check = 2022,
        kXfile1Edit = 2023,
        kXfile2Check = 2024,
        kXfile2Edit = 2025,
        kSoundCheck = 2026,
        kSoundEdit = 2027,
        kClearButton = 2028,
    };

    // A loaded file as the form keeps it: its name, its tree item and where it was
    // opened from.
    struct FileEntry {
        std::string name;
        QTreeWidgetItem* item = nullptr;
        QString path;
    };

    explicit AppForm(QWidget* frame);
    ~AppForm() override;

    // Starts the 3-D environment and fills the tabs and the tree. False when the host
    // could not be created; the program then ends. started() follows once the
    // engine's device objects exist.
    RenderHost::CreateResult initialUpdate();

    RenderHost& host() { return *host_; }
    // The input layer called once per frame before the engine's frame move.
    void setFrameInput(std::unique_ptr<FrameInput> input);
    FrameInput* frameInput() const { return input_.get(); }
    InputRequests& requests() { return requests_; }
    // Called around every frame move (null: nothing is); the observer outlives the form's
    // frames.
    void setFrameObserver(FrameObserver* observer) { frameObserver_ = observer; }
    // While held, presses and moves of the mouse in the view do not reach the engine.
    void holdViewMouse(bool held) { viewMouseHeld_ = held; }
    // Adds a group of controls at the foot of the column of controls.
    void addControlGroup(QWidget* group);

    // Menu commands handled by the form.
    void requestConfigureDisplay() { requests_.configureDisplay = true; }
    void requestConfigureInput() { requests_.configureInput = true; }
    void showAbout();
    // Writes the current course as a glTF binary file at path; a failure is shown in a
    // message box and, like the outcome, on the status line.
    void exportCourse(const QString& path);
    // Asks before something the user made is thrown away; true goes ahead. Tests put in
    // a function that answers at once.
    using Confirmation = std::function<bool(const QString& question)>;
    void setConfirmation(Confirmation confirm) { confirm_ = std::move(confirm); }
    // Asked once when a scene being opened names files that are not found, with their
    // names: answers a folder to look for them in, or an empty string to open the scene
    // without them. Tests put in a function that answers at once.
    using MissingFilesAnswer = std::function<QString(const QStringList& missing)>;
    void setMissingFilesAnswer(MissingFilesAnswer answer) {
        missingFilesAnswer_ = std::move(answer);
    }
    // Asked before a scene is opened, so that unsaved changes are not lost without a
    // word; false stops the open.
    void setBeforeSceneOpen(std::function<bool()> ask) { beforeSceneOpen_ = std::move(ask); }
    // "delete": removes the course, placement or relation chosen in the tree.
    void deleteChosen() { onDelete(); }
    // Posts one of the adjustment dialogs' messages to the form.
    void postMessage(UINT message, UINT wParam, LONG lParam);
    void openPointDialog();
    void openXfileDialog();

    void onDocumentUpdate(const FileDocument& document) override;

    // Asks about unsaved changes before a scene is opened; false (and the status bar
    // says so) when the user keeps them.
    bool confirmSceneOpen(const QString& name);
    // Opens a scene read elsewhere as a new course, as the open command opens a scene
    // file: name is what the status bar and the history call it, file what it was read
    // from. readWhole false: the reader found the file damaged, and the status bar says
    // the course holds only a part of it.
    // Files the scene names that are not found are listed once (see
    // setMissingFilesAnswer); what could not be loaded is kept with the course and
    // written back by every save.
    void openSceneRecord(LSession_t& record, const SceneExtras& extras, const QString& name,
                         const QString& file, bool readWhole = true);

    // What the form holds, for the main window and for tests.
    bool isBusy() const { return busy_; }
    int currentTab() const { return currentTab_; }
    bool isScanning() const { return scanning_; }
    QTabBar* tabs() const { return tabs_; }
    QTreeWidget* tree() const { return tree_; }
    QWidget* viewFrame() const { return viewFrame_; }
    const FileTreeEntries& treeEntries() const { return entries_; }
    const std::list<LSession_t>& courseEntries() const { return courses_; }
    const LSession_t* currentCourseEntry() const { return currentCourse_; }
    const FileEntry* xfile1Pick() const { return xfile1Pick_; }
    const FileEntry* xfile2Pick() const { return xfile2Pick_; }
    const FileEntry* soundPick() const { return soundPick_; }
    SliderDialog* pointDialog() const { return pointDialog_; }
    SliderDialog* xfileDialog() const { return xfileDialog_; }
    QPushButton* button(ControlId id) const;
    QCheckBox* checkBox(ControlId id) const;
    QLineEdit* edit(ControlId id) const;
    static HTREEITEM handleOf(QTreeWidgetItem* item);

    // The history of the scene's edits, for undo and redo.
    QUndoStack& history() { return *history_; }
    // The unsaved state. A course is unsaved when an edit step (not a drive, not a
    // replay) changed it since it was last saved or opened, or when it was never saved;
    // undo and redo back to the save make it saved again. Points laid in MakeField and
    // not yet made into a course are unsaved work too. sceneStateChanged() is emitted
    // whenever isModified(), modifiedCourses() or hasUnsavedPoints() change.
    bool isModified() const { return !modifiedCourses_.empty() || unsavedPoints_; }
    bool hasUnsavedPoints() const { return unsavedPoints_; }
    // The user chose to let the unsaved work go: every course counts as saved as it is
    // now, and the laid points as used, until the next edit.
    void discardUnsavedState();
    // Makes a course of the points being laid, as the create button does.
    void createCourseFromLaidPoints() { onCreateCourse(); }
    // The revisions the history's steps give the courses and the laid points.
    EditRevisions& revisions() { return revisions_; }
    // What the course's scene named that could not be loaded when it was opened (null
    // when nothing is missing): saves, and copies of the course, add it to the record.
    const MissingAssets* missingAssets(HTREEITEM course) const;
    // The current course's scene file name, or its tree name before it was saved.
    QString sceneName() const;
    // The courses and their scene files, for a save of everything (recovery, closing).
    struct CourseFile {
        HTREEITEM item;
        QString name; // its tree name
        QString file; // the scene file it was opened from or saved to; empty for none
    };
    std::vector<CourseFile> modifiedCourses() const;
    // The folders files and scenes were opened from: where a scene's files are found.
    const QStringList& openedFolders() const { return openedFolders_; }
    // Folders the files of a restored scene were found in before.
    void addOpenedFolders(const QStringList& folders);
    // The files in the library, meshes, bitmaps and sounds, by the paths they were
    // opened from.
    QStringList libraryFiles() const;
    // The course just opened from a recovery copy holds unsaved work: it takes the
    // scene file it had, and counts as changed.
    void markRecovered(const QString& file);

    // What the undo steps do to the form after they changed the engine.
    void courseChanged(HTREEITEM item);
    void laidPointsChanged() { updateModified(); }
    void showCourse(HTREEITEM item, bool inScene);
    // Choosing a course puts the camera at its start; an undo that brings a course back
    // leaves the camera where the user had it.
    enum class Camera { ToCourseStart, StaysPut };
    void makeCurrentCourse(HTREEITEM item, Camera camera = Camera::ToCourseStart);
    void showLibraryFile(HTREEITEM item, bool inLibrary);
    // A hidden item whose step was forgotten: gone from the tree and the form.
    void forgetItem(HTREEITEM item);

signals:
    // The engine's device objects exist and the view size is known to the engine.
    void started();
    // What just happened, or why something the user asked for was not done.
    void statusMessage(const QString& text);
    // The placed mesh the arrow keys drive changed ("" when none is).
    void controlledChanged(const QString& name);
    // The "import" button: the open dialog.
    void importRequested();
    // The scene's name or its unsaved state changed (for the window title).
    void sceneStateChanged();
    // The view went into or out of full screen (true: windowed).
    void windowedChanged(bool windowed);
    // A recorded drive was chosen in the open dialog (its full path).
    void replayChosen(const QString& path);

protected:
    // RenderSteps.
    void oneTimeSceneInit() override;
    void initDeviceObjects(IDirect3DDevice9* device) override;
    void restoreDeviceObjects() override;
    void frameMove() override;
    void render() override;
    void invalidateDeviceObjects() override;
    void deleteDeviceObjects() override;
    void adjustWindowForChange(bool windowed) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    // Runs engine calls made outside a frame with the view's context current.
    template <typename F>
    void engineCall(F&& call) {
        RenderHost::EngineScope scope(*host_);
        call();
    }
    bool forwardsMouse() const;
    HWND frameHandle() const;

    void onTabChanged(int index);
    // What the tab needs from the user before it shows anything; empty when nothing.
    QString tabHint(int index) const;
    void onTreeSelectionChanged();
    void onCheckToggled(int which, bool checked);
    void onSoundButton(bool assign);
    void onCreateCourse();
    void onAssign();
    void onScan();
    void onClear();
    void onDelete();
    void onRightButtonDown(QPointF formPoint);
    // The engine counts the view in its device pixels (those it draws), the form's
    // events come in the form's own: the engine is told the view's size in them, and a
    // point of the form becomes a point of the view, or of the form as the engine sees
    // it (the view's pixels scaled, its corner where it is).
    void tellEngineViewSize();
    POINT engineViewPoint(QPointF formPoint) const;
    POINT engineFormPoint(QPointF formPoint) const;
    void handleMessage(UINT message, UINT wParam, LONG lParam);
    // What the course check finds wrong with the current course, as one line; empty
    // when it is sound or there is none.
    QString courseWarning();
    void serveRequests();

    QTreeWidgetItem* insertTreeItem(TreeKind kind, const QString& text, std::int32_t level);
    void addLibraryFile(TreeKind kind, std::list<FileEntry>& files, LF_t& record,
                        const QString& path, void (*push)(LF_t*, HTREEITEM*));
    void openSession(bool binary, const ChosenFile& file);
    void saveSessionFile();
    void saveSimulationFile(const std::string& path);
    // Takes out of a scene being opened what names files that are not found, after the
    // user was asked once where they are.
    MissingAssets settleMissingFiles(LSession_t& record, SceneExtras& extras);
    // The current course's record and extras as a save writes them: what the engine
    // holds and what could not be loaded. False when there is no current course; the
    // record's lists are then empty.
    bool currentSceneRecord(LSession_t& record, SceneExtras& extras);
    // Offers to copy the files a scene saved in folder names that are not beside it;
    // answers what the status line says about them.
    QString copyFilesBeside(const LSession_t& record, const QString& folder);
    static void addCompanions(const std::string& mesh, const QString& from, const QString& to,
                              QStringList* names, QStringList* sources);
    // Runs an edit of the current course and, when it changed the course, keeps it in
    // the history as one step; true when it did.
    bool recordCourseEdit(const QString& text, const std::function<void()>& edit);
    // Runs an edit of the points being laid (and of which course is current), kept as
    // one step when it changed them.
    void recordPointsEdit(const QString& text, const std::function<void()>& edit);
    // The course as it is now is what its file holds.
    void courseSaved(HTREEITEM item, const QString& file);
    void updateModified();
    // The course entry of a tree item; null for any other item.
    LSession_t* courseEntryOf(QTreeWidgetItem* item);
    // Shows the item as chosen without choosing it again in the engine.
    void showChosen(QTreeWidgetItem* item);
    void onCourseChildChosen(QTreeWidgetItem* item, const CourseChild& child);
    // Lists a course's placements and relations under its tree item again.
    void refreshCourseChildren(HTREEITEM course);
    void refreshCurrentCourseChildren();
    // The engine's current course.
    HTREEITEM engineCurrentCourse();
    // Follows the engine's controlled mesh; called after every frame.
    void updateControlled();
    void updateDeleteButton();
    void layOutControls();
    void clearSoundPicks();
    int showMessage(const std::string& text, const std::string& caption, UINT type);

    QPointer<QWidget> frame_;
    // The folder the program runs from, whose data/ holds files every scene finds.
    QString startFolder_;
    std::unique_ptr<RenderHost> host_;
    std::unique_ptr<FrameInput> input_;
    InputRequests requests_;
    FrameObserver* frameObserver_ = nullptr;
    bool viewMouseHeld_ = false;
    MessageBoxHandler previousMessageHandler_;

    QTabBar* tabs_ = nullptr;
    QWidget* viewFrame_ = nullptr;
    QWidget* viewPane_ = nullptr;
    QWidget* panel_ = nullptr;
    Confirmation confirm_;
    std::function<bool()> beforeSceneOpen_;
    QTreeWidget* tree_ = nullptr;
    QCheckBox* checks_[3] = {};
    QLineEdit* edits_[3] = {};
    QPointer<SliderDialog> pointDialog_;
    QPointer<SliderDialog> xfileDialog_;

    std::list<FileEntry> xfiles_;
    std::list<FileEntry> sounds_;
    std::list<FileEntry> bitmaps_;
    FileTreeEntries entries_;
    std::list<LSession_t> courses_;
    FileEntry* currentXfile_ = nullptr;
    FileEntry* currentBitmap_ = nullptr;
    FileEntry* currentSound_ = nullptr;
    LSession_t* currentCourse_ = nullptr;
    FileEntry* xfile1Pick_ = nullptr;
    FileEntry* xfile2Pick_ = nullptr;
    FileEntry* soundPick_ = nullptr;
    bool checked_[3] = {false, false, false};
    int currentTab_ = 1;
    bool scanning_ = false;
    bool busy_ = true;
    // Working points when the last course was made from them, to tell a copy from a
    // course of new points; -1 once the points were cleared.
    int pointsAtLastCreate_ = -1;
    QString lastCreatedName_;
    // What updateControlled() last saw.
    QTreeWidgetItem* controlledItem_ = nullptr;
    bool controlledKnown_ = false;
    QPoint viewOrigin_ = kViewOrigin;
    QRect windowedFrameGeometry_;
    // The file of the course's last save or open, and which courses are unsaved.
    std::map<HTREEITEM, QString> courseFiles_;
    EditRevisions revisions_;
    std::vector<HTREEITEM> modifiedCourses_;
    bool unsavedPoints_ = false;
    std::map<HTREEITEM, MissingAssets> missing_;
    MissingFilesAnswer missingFilesAnswer_;
    QStringList openedFolders_;
    // A drag in Edit is one step, from the press to the release.
    std::optional<CourseSnapshot> dragBefore_;
    // Last, so that its steps go first: they may still touch the tree and the lists.
    std::unique_ptr<QUndoStack> history_;
};
