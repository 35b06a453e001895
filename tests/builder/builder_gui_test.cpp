// Drives the real builder window under a virtual X server: the mouse lays a course,
// files come in through the open command, objects are placed, played, adjusted with
// the popup dialogs and tied to sounds, and scenes go out to disk and back. The engine
// behind the window is the real one; what it holds is read back through its session
// iterator, as the save command does.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTranslator>
#include <QUndoStack>

#include <sys/stat.h>

#include "builder_fixture.h"
#include "files/SessionFileIO.h"
#include "host/DisplaySettingsDialog.h"
#include "shell/AboutDialog.h"
#include "shell/QuietStart.h"

class BuilderGuiTest : public BuilderFixture {
    Q_OBJECT

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    void startsInEditWithFourRootsAndTheViewAtItsOffset() {
        QCOMPARE(window_->windowTitle(), QStringLiteral("Tumbleway Builder[*]"));
        QVERIFY(!window_->isWindowModified());
        QTabBar* tabs = form().tabs();
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Play"));
        QCOMPARE(tabs->tabText(3), QStringLiteral("ViewParts"));
        QCOMPARE(form().currentTab(), 1);
        QCOMPARE(form().viewFrame()->mapTo(&form(), QPoint(0, 0)), AppForm::kViewOrigin);
        QCOMPARE(form().tree()->topLevelItemCount(), 4);
        const char* names[4] = {"X-file", "BMP", "Sound", "Course"};
        for (int k = 1; k <= 4; ++k) {
            QCOMPARE(root(k)->text(0), QString::fromLatin1(names[k - 1]));
            QCOMPARE(root(k)->data(0, Qt::UserRole).toInt(), k);
        }
        // "import" opens files; "delete" waits for a course or something placed on one.
        QVERIFY(form().button(AppForm::kImportButton)->isEnabled());
        QVERIFY(!form().button(AppForm::kDeleteButton)->isEnabled());
        QCOMPARE(window_->action(40026)->text(), QStringLiteral("Save &As..."));
    }

    void clicksLayACourseAndCreateMakesCourse1() {
        layCourse();
        QTreeWidgetItem* course = child(4, QStringLiteral("course1"));
        QVERIFY(course != nullptr);
        // The roots took ids 1 to 4, so the first item gets 5.
        QCOMPARE(course->data(0, Qt::UserRole).toInt(), 5);
        QVERIFY(form().currentCourseEntry() != nullptr);
        const LSession_t s = session();
        QCOMPARE(s.dottedPoints.size(), std::size_t{8});
        QCOMPARE(s.calculatedPoints.size(), std::size_t{8});
        // The engine got view points: the first click was at (500, 240) of the view.
        QCOMPARE(static_cast<int>(s.dottedPoints.front().x), 500);
        QCOMPARE(static_cast<int>(s.dottedPoints.front().y), 240);
    }

    void createWithoutPointsLeavesNoTraceAndSaysWhy() {
        layCourse();
        const LSession_t* current = form().currentCourseEntry();
        QVERIFY(current != nullptr);
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        form().button(AppForm::kClearButton)->click();
        form().button(AppForm::kCreateButton)->click();
        QCOMPARE(root(4)->childCount(), 1);
        QCOMPARE(form().courseEntries().size(), std::size_t{1});
        QVERIFY(form().currentCourseEntry() == nullptr);
        QVERIFY2(status.contains(QStringLiteral("at least three points")), qPrintable(status));
        layCourse();
        QVERIFY(child(4, QStringLiteral("course2")) != nullptr);
        QCOMPARE(form().currentCourseEntry()->item, AppForm::handleOf(child(4, "course2")));
    }

    void placedMeshRollsWhenPlayed() {
        layCourse();
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        placeMesh(QStringLiteral("ball.x"));
        // Placing says what it placed, as every other step does.
        QCOMPARE(status, QStringLiteral("Placed ball.x on course1."));
        QCOMPARE(lastRequest_.mode, FileDialogRequest::Mode::Open);
        QCOMPARE(lastRequest_.defaultSuffix, QStringLiteral("x"));
        QCOMPARE(QDir::currentPath(), work_ + QStringLiteral("/samples/meshes"));
        QVERIFY(messages_.empty());
        LSession_t s = session();
        QCOMPARE(s.meshes.size(), std::size_t{1});
        const float x0 = s.meshes.front().x;
        const float z0 = s.meshes.front().z;

        selectTab(0);
        // The input layer reads the keyboard only while the window has the focus, and
        // hears keys where the system hands them in: at the focused top-level window,
        // not at a widget.
        host().view()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host().view()->window()));
        QWindow* window = host().view()->window()->windowHandle();
        QVERIFY(window != nullptr);
        QTest::keyPress(window, Qt::Key_Up);
        waitFrames(40);
        QTest::keyRelease(window, Qt::Key_Up);
        waitFrames(2);
        s = session();
        const float moved = std::hypot(s.meshes.front().x - x0, s.meshes.front().z - z0);
        QVERIFY2(moved > 0.01f, qPrintable(QString::number(moved)));
    }

    void pointDialogFromThePopupAdjustsThePointOnly() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        selectTab(2);
        bool sawDisabledDelete = false;
        whenPopupOpens([&](QMenu* menu) {
            QCOMPARE(menu->objectName(), QStringLiteral("IDR_MENU_MAKEFIELD"));
            const QList<QAction*> actions = menu->actions();
            QCOMPARE(actions.size(), 2);
            QCOMPARE(actions[0]->text(), QStringLiteral("Change height/incline"));
            sawDisabledDelete =
                actions[1]->text() == QStringLiteral("Delete") && !actions[1]->isEnabled();
            menu->setActiveAction(actions[0]);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        // On the first laid point's dot, drawn round the click that laid it.
        clickView(QPoint(501, 241), Qt::RightButton);
        QTRY_VERIFY(form().pointDialog() != nullptr && form().pointDialog()->isVisible());
        QVERIFY(sawDisabledDelete);
        SliderDialog* dialog = form().pointDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Point"));
        QCOMPARE(dialog->firstSlider()->minimum(), -5);
        QCOMPARE(dialog->secondSlider()->maximum(), 50);
        dialog->firstSlider()->setValue(2);
        dialog->secondSlider()->setValue(30);
        QCOMPARE(dialog->secondEdit()->text(), QStringLiteral("30"));
        // Typed text that was not confirmed is not what is sent.
        dialog->firstEdit()->setText(QStringLiteral("4"));
        const float y0 = session().calculatedPoints.front().y;
        dialog->findChild<QPushButton*>()->click();
        QTRY_VERIFY(form().pointDialog() == nullptr);
        QApplication::processEvents();
        const LSession_t s = session();
        QVERIFY(s.calculatedPoints.front().y != y0);
        // The placed mesh, which the user never touched, keeps its orientation.
        QCOMPARE(s.meshes.front().yaw, 0.0f);

        // Opened again on the point, the dialog shows what the point holds, so that OK
        // alone changes nothing.
        const LPoint_t adjusted = s.calculatedPoints.front();
        whenPopupOpens([](QMenu* menu) {
            menu->setActiveAction(menu->actions().front());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        clickView(QPoint(501, 241), Qt::RightButton);
        QTRY_VERIFY(form().pointDialog() != nullptr && form().pointDialog()->isVisible());
        dialog = form().pointDialog();
        QCOMPARE(dialog->firstSlider()->value(), 2);
        QCOMPARE(dialog->secondSlider()->value(), 30);
        // A number typed and confirmed moves the slider and is what is sent; Return
        // leaves the dialog open for the other number.
        dialog->secondEdit()->setText(QStringLiteral("-20"));
        QTest::keyClick(dialog->secondEdit(), Qt::Key_Return);
        QCOMPARE(dialog->secondSlider()->value(), -20);
        QVERIFY(dialog->isVisible());
        dialog->findChild<QPushButton*>()->click();
        QTRY_VERIFY(form().pointDialog() == nullptr);
        QApplication::processEvents();
        QCOMPARE(session().calculatedPoints.front().y, adjusted.y);
        QCOMPARE(session().calculatedPoints.front().pitch, -20.0f);
    }

    void xfileDialogFromTheEditPopupTurnsThePlacement() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        bool shown = false;
        whenPopupOpens([&](QMenu* menu) {
            shown = menu->objectName() == QStringLiteral("IDR_MENU_EDIT_XFLIE");
            menu->setActiveAction(menu->actions().front());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        // Clicked where the view shows the ball.
        waitFrames(3);
        clickView(drawnMesh(0).toPoint(), Qt::RightButton);
        QTRY_VERIFY(form().xfileDialog() != nullptr);
        QVERIFY(shown);
        SliderDialog* dialog = form().xfileDialog();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Height and orientation"));
        dialog->secondSlider()->setValue(90);
        dialog->findChild<QPushButton*>()->click();
        QTRY_COMPARE(session().meshes.front().yaw, 0.5f);
        // Closing without OK sends nothing.
        form().openXfileDialog();
        form().xfileDialog()->secondSlider()->setValue(-180);
        form().xfileDialog()->close();
        QApplication::processEvents();
        QCOMPARE(session().meshes.front().yaw, 0.5f);
        // Opened again, it starts where the mesh is: raising it keeps its orientation.
        form().openXfileDialog();
        QTRY_VERIFY(form().xfileDialog() != nullptr);
        QCOMPARE(form().xfileDialog()->secondSlider()->value(), 90);
        QCOMPARE(form().xfileDialog()->firstSlider()->value(), 0);
        form().xfileDialog()->firstSlider()->setValue(3);
        form().xfileDialog()->findChild<QPushButton*>()->click();
        QTRY_VERIFY(form().xfileDialog() == nullptr);
        QApplication::processEvents();
        QCOMPARE(session().meshes.front().yaw, 0.5f);
        form().openXfileDialog();
        QTRY_VERIFY(form().xfileDialog() != nullptr);
        QCOMPARE(form().xfileDialog()->firstSlider()->value(), 3);
        QCOMPARE(form().xfileDialog()->secondSlider()->value(), 90);
    }

    void eachTabSaysWhatItNeedsWhenItHasNothingToShow() {
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        selectTab(3);
        QCOMPARE(status, QStringLiteral(
                             "Choose a mesh under X-file or a bitmap under BMP in the tree to look "
                             "at it here."));
        selectTab(0);
        QVERIFY2(status.startsWith(QStringLiteral("Choose a course in the tree")),
                 qPrintable(status));
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        status.clear();
        selectTab(3);
        QVERIFY(status.isEmpty());
    }

    void rightClicksOnPlayAndViewPartsShowNoMenu() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        for (int tab : {0, 3}) {
            selectTab(tab);
            QTest::mouseClick(host().view(), Qt::RightButton, Qt::NoModifier, QPoint(320, 240));
            QTest::qWait(100);
            QVERIFY(QApplication::activePopupWidget() == nullptr);
        }
    }

    void soundRelationsFollowTheCheckBoxes() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        placeMesh(QStringLiteral("box.x"));
        openFile(work_ + QStringLiteral("/samples/sounds/hit.wav"));

        // Nothing checked: the X-file becomes the X-file1 pick.
        select(child(1, QStringLiteral("ball.x")));
        QCOMPARE(form().edit(AppForm::kXfile1Edit)->text(), QStringLiteral("ball.x"));
        check(AppForm::kXfile1Check);
        QVERIFY(!form().edit(AppForm::kXfile1Edit)->isEnabled());
        select(child(1, QStringLiteral("box.x")));
        QCOMPARE(form().edit(AppForm::kXfile2Edit)->text(), QStringLiteral("box.x"));
        check(AppForm::kXfile2Check);
        // Both checked: selecting changes neither pick.
        select(child(1, QStringLiteral("ball.x")));
        QCOMPARE(form().edit(AppForm::kXfile2Edit)->text(), QStringLiteral("box.x"));
        select(child(3, QStringLiteral("hit.wav")));
        QCOMPARE(form().edit(AppForm::kSoundEdit)->text(), QStringLiteral("hit.wav"));

        // With the Sound box unchecked "assign" keeps the picks and says what is missing.
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        select(child(4, QStringLiteral("course1")));
        form().button(AppForm::kSoundAssignButton)->click();
        QVERIFY(session().relations.empty());
        QVERIFY(form().xfile1Pick() != nullptr);
        QVERIFY2(status.startsWith(QStringLiteral("Not assigned: ")), qPrintable(status));

        check(AppForm::kSoundCheck);
        form().button(AppForm::kSoundAssignButton)->click();
        QCOMPARE(status, QStringLiteral("Assigned: hit.wav when ball.x hits box.x."));
        LSession_t s = session();
        QCOMPARE(s.relations.size(), std::size_t{1});
        QCOMPARE(QString::fromLatin1(s.relations.front().xfile2), QStringLiteral("box.x"));
        // After a call the boxes, edits and picks are cleared.
        QVERIFY(!form().checkBox(AppForm::kXfile1Check)->isChecked());
        QVERIFY(form().edit(AppForm::kSoundEdit)->text().isEmpty());
        QVERIFY(form().xfile1Pick() == nullptr && form().soundPick() == nullptr);

        // The same three again: "release" takes the collision relation back.
        pickCollision(QStringLiteral("ball.x"), QStringLiteral("box.x"), QStringLiteral("hit.wav"));
        select(child(4, QStringLiteral("course1")));
        form().button(AppForm::kSoundReleaseButton)->click();
        QVERIFY(session().relations.empty());
        QCOMPARE(status, QStringLiteral("Released: hit.wav when ball.x hits box.x."));

        // X-file2 checked but without a pick: a movement relation.
        select(child(1, QStringLiteral("ball.x")));
        check(AppForm::kXfile1Check);
        check(AppForm::kXfile2Check);
        QVERIFY(form().xfile2Pick() == nullptr);
        select(child(3, QStringLiteral("hit.wav")));
        check(AppForm::kSoundCheck);
        select(child(4, QStringLiteral("course1")));
        form().button(AppForm::kSoundAssignButton)->click();
        s = session();
        QCOMPARE(s.relations.size(), std::size_t{1});
        QCOMPARE(QString::fromLatin1(s.relations.front().xfile2), QStringLiteral("0"));

        // Unchecking a box lets go of its pick.
        select(child(1, QStringLiteral("box.x")));
        check(AppForm::kXfile1Check);
        check(AppForm::kXfile1Check);
        QVERIFY(form().xfile1Pick() == nullptr);
        QVERIFY(form().edit(AppForm::kXfile1Edit)->isEnabled());
        QVERIFY(form().edit(AppForm::kXfile1Edit)->text().isEmpty());
    }

    void scenesGoToDiskAndComeBack() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        const QString xml = work_ + QStringLiteral("/scenes/scene.xml");
        QDir().mkpath(work_ + QStringLiteral("/scenes"));
        saveAs(xml);
        QCOMPARE(lastRequest_.filters, QStringList{QStringLiteral("Simulation (*.xml) (*.xml)")});
        QVERIFY(QFileInfo::exists(xml));
        QCOMPARE(QDir::currentPath(), work_ + QStringLiteral("/scenes"));
        // The mesh is found by name from the scene's folder.
        QFile::copy(work_ + QStringLiteral("/samples/meshes/ball.x"),
                    work_ + QStringLiteral("/scenes/ball.x"));

        openFile(xml);
        QVERIFY(messages_.empty());
        QVERIFY(child(4, QStringLiteral("course2")) != nullptr);
        QCOMPARE(form().currentCourseEntry()->item,
                 AppForm::handleOf(child(4, QStringLiteral("course2"))));
        LSession_t s = session();
        QCOMPARE(s.calculatedPoints.size(), std::size_t{8});
        QCOMPARE(s.meshes.size(), std::size_t{1});

        // The overwrite save writes the opened entry to velmora.sim beside it.
        window_->action(40025)->trigger();
        const QString sim = work_ + QStringLiteral("/scenes/velmora.sim");
        QVERIFY(QFileInfo::exists(sim));
        QCOMPARE(QFileInfo(sim).size(), qint64{40 + 148 + 8 * 12 + 8 * 20});
        openFile(sim);
        QVERIFY(child(4, QStringLiteral("course3")) != nullptr);
        QCOMPARE(session().calculatedPoints.size(), std::size_t{8});
        QCOMPARE(session().meshes.size(), std::size_t{1});

        // A save-as name without the xml extension saves nothing.
        saveAs(work_ + QStringLiteral("/scenes/other.txt"));
        QVERIFY(!QFileInfo::exists(work_ + QStringLiteral("/scenes/other.txt")));
    }

    void openingFollowsTheExactCaseRule() {
        QDir().mkpath(work_ + QStringLiteral("/cases"));
        for (const char* name : {"scene.Xml", "unreadable.sim"}) {
            QFile file(work_ + QStringLiteral("/cases/") + QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<Session/>");
        }
        openFile(work_ + QStringLiteral("/cases/scene.Xml"));
        QCOMPARE(root(4)->childCount(), 0);
        QVERIFY(messages_.empty());

        // A .sim file that cannot be read still gives a course.
        openFile(work_ + QStringLiteral("/cases/missing.sim"));
        QCOMPARE(root(4)->childCount(), 1);
        QCOMPARE(root(4)->child(0)->text(0), QStringLiteral("course1"));
        QCOMPARE(messages_.size(), std::size_t{1});
        QCOMPARE(messages_[0].text, std::string("Error cannot read file."));
        QCOMPARE(messages_[0].caption, std::string("missing.sim"));
        QCOMPARE(messages_[0].type & MB_ICONERROR, MB_ICONERROR);

        // The same mesh twice: two items with ids that follow the last entry.
        openFile(work_ + QStringLiteral("/samples/meshes/cone.x"));
        openFile(work_ + QStringLiteral("/samples/meshes/cone.x"));
        QCOMPARE(root(1)->childCount(), 2);
        QCOMPARE(root(1)->child(0)->data(0, Qt::UserRole).toInt(), 6);
        QCOMPARE(root(1)->child(1)->data(0, Qt::UserRole).toInt(), 7);
        QCOMPARE(messages_.size(), std::size_t{1});
    }

    void scanClearAndSaveWithoutCourse() {
        // Right after start there is no course entry: nothing is written.
        window_->action(40025)->trigger();
        QVERIFY(!QFileInfo::exists(work_ + QStringLiteral("/velmora.sim")));

        layCourse();
        QPushButton* scan = form().button(AppForm::kScanButton);
        scan->click();
        QCOMPARE(scan->text(), QStringLiteral("stop"));
        waitFrames(5);
        scan->click();
        QCOMPARE(scan->text(), QStringLiteral("scan"));

        form().button(AppForm::kClearButton)->click();
        QVERIFY(child(4, QStringLiteral("course1")) != nullptr);
        QVERIFY(form().currentCourseEntry() == nullptr);
        // Without a course there is nothing to scan: the button keeps its word.
        scan->click();
        QCOMPARE(scan->text(), QStringLiteral("scan"));
        window_->action(40025)->trigger();
        QVERIFY(!QFileInfo::exists(work_ + QStringLiteral("/velmora.sim")));
        // The course is no longer shown as chosen, so choosing it again works.
        QVERIFY(form().tree()->currentItem() == nullptr);
        select(child(4, QStringLiteral("course1")));
        QVERIFY(form().currentCourseEntry() != nullptr);
    }

    void displaySettingsRecreateTheViewAndKeepTheScene() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        RenderView* before = host().view();
        bool shown = false;
        host().setDialogRunner([&](DisplaySettingsDialog& dialog) {
            shown = dialog.windowTitle() == QStringLiteral("Direct3D Settings");
            const QStringList labels = [&] {
                QStringList texts;
                for (QLabel* label : dialog.findChildren<QLabel*>()) {
                    texts << label->text();
                }
                return texts;
            }();
            if (!labels.contains(QStringLiteral("Present &Interval:")) ||
                !dialog.windowedButton()->isChecked() ||
                dialog.resolutionList()->currentText() != QStringLiteral("(not used)")) {
                shown = false;
            }
            const int immediate = dialog.presentIntervalList()->findText(
                QStringLiteral("D3DPRESENT_INTERVAL_IMMEDIATE"));
            dialog.presentIntervalList()->setCurrentIndex(immediate);
            return static_cast<int>(QDialog::Accepted);
        });
        window_->action(40002)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(host().view() != before, 10000);
        QVERIFY(shown);
        QCOMPARE(swapIntervalOf(host().settings().current().presentInterval), 0);
        waitFrames(5);
        QCOMPARE(session().meshes.size(), std::size_t{1});
        QCOMPARE(session().calculatedPoints.size(), std::size_t{8});

        // Cancel changes nothing.
        before = host().view();
        const DisplaySettings kept = host().settings();
        host().setDialogRunner(
            [](DisplaySettingsDialog&) { return static_cast<int>(QDialog::Rejected); });
        window_->action(40002)->trigger();
        waitFrames(5);
        QCOMPARE(host().view(), before);
        QVERIFY(host().settings() == kept);
    }

    void fullScreenAndBackKeepTheScene() {
        layCourse();
        host().toggleFullScreen();
        QVERIFY(!host().isWindowed());
        QTRY_VERIFY(window_->isFullScreen());
        waitFrames(5);
        // Escape released in full screen goes back to the window.
        QTest::keyRelease(host().view(), Qt::Key_Escape);
        QTRY_VERIFY(host().isWindowed());
        QTRY_VERIFY(!window_->isFullScreen());
        waitFrames(5);
        QCOMPARE(form().viewFrame()->mapTo(&form(), QPoint(0, 0)), AppForm::kViewOrigin);
        QCOMPARE(session().calculatedPoints.size(), std::size_t{8});
    }

    void nothingRunsWhileMinimised() {
        window_->showMinimized();
        QTRY_VERIFY(window_->isMinimized());
        QTest::qWait(200);
        const long long frames = host().frameCount();
        QTest::qWait(300);
        QCOMPARE(host().frameCount(), frames);
        window_->showNormal();
        waitFrames(3);
    }

    void theViewFollowsTheWindowSize() {
        const QSize view = form().viewFrame()->size();
        window_->resize(window_->width() + 300, window_->height() + 200);
        QTRY_COMPARE(form().viewFrame()->size(), view + QSize(300, 200));
        QCOMPARE(form().viewFrame()->mapTo(&form(), QPoint(0, 0)), AppForm::kViewOrigin);
        // The controls keep their column at the right edge.
        QPushButton* create = form().button(AppForm::kCreateButton);
        QVERIFY(create->mapTo(&form(), QPoint(0, 0)).x() > form().viewFrame()->width());
        waitFrames(3);
        QCOMPARE(host().view()->grabFramebuffer().size(), view + QSize(300, 200));
        // A point laid where the old view ended is drawn where it was clicked.
        selectTab(2);
        const QPoint beyond(view.width() + 150, view.height() + 100);
        const QImage before = host().view()->grabFramebuffer();
        clickView(beyond);
        waitFrames(3);
        const QImage after = host().view()->grabFramebuffer();
        QVERIFY(after.pixel(beyond) != before.pixel(beyond));

        // The next start opens the window as large as it was left.
        const QSize left = window_->size();
        QVERIFY(window_->close());
        stopBuilder();
        startBuilder(KeepWindowSize::Yes);
        QCOMPARE(window_->size(), left);
    }

    void theViewKeepsItsPictureWhileAMenuIsOpen() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        waitFrames(3);
        const QImage shown = host().view()->grabFramebuffer();
        bool checked = false;
        whenPopupOpens([&](QMenu* menu) {
            QTest::qWait(100);
            const QImage behind = host().view()->grabFramebuffer();
            // The scene stands still and is still drawn: the same picture, not a black one.
            checked = behind == shown;
            if (!checked) {
                shown.save(QStringLiteral("/tmp/menu-shown.png"));
                behind.save(QStringLiteral("/tmp/menu-behind.png"));
            }
            menu->close();
        });
        clickView(drawnMesh(0).toPoint(), Qt::RightButton);
        QTRY_VERIFY(checked);
    }

    void placementsRelationsAndCoursesCanBeDeleted() {
        layCourse();
        form().button(AppForm::kCreateButton)->click(); // course2, a copy of course1
        placeMesh(QStringLiteral("ball.x"));
        placeMesh(QStringLiteral("box.x"));
        openFile(work_ + QStringLiteral("/samples/sounds/hit.wav"));
        select(child(1, QStringLiteral("ball.x")));
        check(AppForm::kXfile1Check);
        check(AppForm::kXfile2Check);
        select(child(3, QStringLiteral("hit.wav")));
        check(AppForm::kSoundCheck);
        QTreeWidgetItem* course = child(4, QStringLiteral("course2"));
        select(course);
        form().button(AppForm::kSoundAssignButton)->click();
        QStringList listed;
        for (int i = 0; i < course->childCount(); ++i) {
            listed << course->child(i)->text(0);
        }
        // What the edits showed: ball.x alone, a movement sound.
        QCOMPARE(listed, (QStringList{QStringLiteral("ball.x"), QStringLiteral("box.x"),
                                      QStringLiteral("hit.wav: ball.x moves")}));
        QPushButton* remove = form().button(AppForm::kDeleteButton);

        select(course->child(0));
        QVERIFY(remove->isEnabled());
        remove->click();
        QCOMPARE(session().meshes.size(), std::size_t{1});
        QCOMPARE(course->child(0)->text(0), QStringLiteral("box.x"));
        select(course->child(1));
        remove->click();
        QVERIFY(session().relations.empty());
        QCOMPARE(course->childCount(), 1);

        // A library file is not deleted from here.
        select(child(1, QStringLiteral("ball.x")));
        QVERIFY(!remove->isEnabled());

        // A course goes only when the user says so.
        form().setConfirmation([](const QString&) { return false; });
        select(child(4, QStringLiteral("course1")));
        remove->click();
        QCOMPARE(shownChildren(4), 2);
        form().setConfirmation([](const QString&) { return true; });
        remove->click();
        QCOMPARE(shownChildren(4), 1);
        // The next course does not take a name that is in use.
        layCourse();
        QVERIFY(child(4, QStringLiteral("course3")) != nullptr);
        select(course);
        remove->click();
        QVERIFY(child(4, QStringLiteral("course2")) == nullptr);
        QVERIFY(form().currentCourseEntry() == nullptr);
        QVERIFY(session().calculatedPoints.empty());
        waitFrames(3);
    }

    int twxWorkingPoints() {
        RenderHost::EngineScope scope(host());
        return twx_working_point_count();
    }

    void createAgainSaysItCopiedThePoints() {
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        layCourse();
        QCOMPARE(status, QStringLiteral("course1 created from 8 points."));
        form().button(AppForm::kCreateButton)->click();
        QCOMPARE(status, QStringLiteral("course2: a copy of course1's points"));
        QCOMPARE(session().calculatedPoints.size(), std::size_t{8});
        // A click after a create starts the next course's points afresh.
        for (const QPoint p : {QPoint(200, 150), QPoint(450, 170), QPoint(330, 380)}) {
            clickView(p);
        }
        QCOMPARE(twxWorkingPoints(), 3);
        form().button(AppForm::kCreateButton)->click();
        QCOMPARE(status, QStringLiteral("course3 created from 3 points."));
        QCOMPARE(session().dottedPoints.size(), std::size_t{3});
        // Undone, the click gives back the points the last create was made from.
        form().history().undo();
        form().history().undo();
        QCOMPARE(twxWorkingPoints(), 2);
        form().history().undo();
        form().history().undo();
        QCOMPARE(twxWorkingPoints(), 8);
    }

    // Japanese users see the menus as they know them and every other text in Japanese,
    // Qt's own buttons too; every other language sees English.
    void japaneseForJapaneseAndEnglishForEveryoneElse() {
        QCOMPARE(window_->action(40021)->text(), QStringLiteral("&Open..."));
        stopBuilder();
        const QList<QTranslator*> japanese = installTranslation(*qApp, QStringLiteral("ja_JP"));
        QCOMPARE(japanese.size(), 2); // the program's and Qt's
        startBuilder();
        QCOMPARE(window_->action(40021)->text(), QStringLiteral("開く"));
        QCOMPARE(window_->action(40025)->text(), QStringLiteral("上書き保存"));
        QCOMPARE(window_->action(40026)->text(), QStringLiteral("名前を変えて保存"));
        QCOMPARE(window_->action(40021)->statusTip(),
                 QStringLiteral("既存のゲームセッションファイルを開く"));

        const QRegularExpression kana(QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
        QStringList english;
        const auto expectJapanese = [&](const QString& text) {
            if (!text.isEmpty() && !kana.match(text).hasMatch()) {
                english << text;
            }
        };
        for (QAction* top : window_->menuBar()->actions()) {
            expectJapanese(top->text());
            for (QAction* item : top->menu()->actions()) {
                expectJapanese(item->text());
                expectJapanese(item->statusTip());
            }
        }
        for (int tab = 0; tab < form().tabs()->count(); ++tab) {
            expectJapanese(form().tabs()->tabText(tab));
        }
        for (QAbstractButton* button : form().findChildren<QAbstractButton*>()) {
            expectJapanese(button->text());
        }
        form().openPointDialog();
        expectJapanese(form().pointDialog()->windowTitle());
        expectJapanese(AboutDialog(&form()).windowTitle());
        QString displayTitle;
        host().setDialogRunner([&](DisplaySettingsDialog& dialog) {
            displayTitle = dialog.windowTitle();
            return static_cast<int>(QDialog::Rejected);
        });
        window_->action(40002)->trigger();
        QTRY_VERIFY(!displayTitle.isEmpty());
        expectJapanese(displayTitle);
        QStringList inputTexts;
        whenModalOpens([&](QWidget* dialog) {
            inputTexts << dialog->windowTitle();
            auto* table = dialog->findChild<QTableWidget*>();
            inputTexts << table->verticalHeaderItem(0)->text();
            dialog->close();
        });
        window_->action(40011)->trigger();
        QTRY_COMPARE(inputTexts.size(), 2);
        expectJapanese(inputTexts.join(QLatin1Char(' ')));
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        form().button(AppForm::kCreateButton)->click();
        expectJapanese(status);
        QMessageBox question(QMessageBox::Question, QString(), QString(),
                             QMessageBox::Save | QMessageBox::Discard);
        expectJapanese(question.button(QMessageBox::Save)->text());
        QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
        qDeleteAll(japanese);

        stopBuilder();
        const QList<QTranslator*> others = installTranslation(*qApp, QStringLiteral("de_DE"));
        QCOMPARE(others.size(), 1);
        startBuilder();
        QCOMPARE(window_->action(40026)->text(), QStringLiteral("Save &As..."));
        // English has two forms where the texts count.
        QCOMPARE(
            QCoreApplication::translate("ReplayController", "Recorded %n frame(s).", nullptr, 1),
            QStringLiteral("Recorded 1 frame."));
        // Every menu action says what it does in the status bar.
        for (QAction* action : window_->findChildren<QAction*>()) {
            if (!action->isSeparator() && !action->menu() && !action->text().isEmpty() &&
                action->parent() == window_.get()) {
                QVERIFY2(!action->statusTip().isEmpty(), qPrintable(action->text()));
            }
        }
        qDeleteAll(others);
    }

    void aCourseThatCrossesItselfIsWarnedOfInTheStatusBar() {
        QString status;
        connect(&form(), &AppForm::statusMessage, this, [&](const QString& t) { status = t; });
        layBowTie();
        // In a few words, so that the whole of it fits the status bar.
        QCOMPARE(status,
                 QStringLiteral("course1: the course crosses itself once; see Course check"));
        QCOMPARE(window_->statusBar()->currentMessage(), status);
        // Every point edit builds the course anew and checks it again.
        status.clear();
        whenPopupOpens([](QMenu* menu) {
            menu->setActiveAction(menu->actions()[0]);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        clickView(QPoint(121, 101), Qt::RightButton);
        QTRY_VERIFY(form().pointDialog() != nullptr && form().pointDialog()->isVisible());
        form().pointDialog()->firstSlider()->setValue(3);
        form().pointDialog()->findChild<QPushButton*>()->click();
        QTRY_VERIFY2(status.startsWith(QStringLiteral("Course check: ")), qPrintable(status));
        QCOMPARE(session().calculatedPoints.front().y, 3.0f);
        // A sound course says nothing more than that it was made.
        form().button(AppForm::kClearButton)->click();
        layCourse();
        QCOMPARE(status, QStringLiteral("course2 created from 8 points."));
    }

    void aFailedSaveSaysWhichFileAndWhy() {
        layCourse();
        const QString missing = work_ + QStringLiteral("/no/such/folder/scene.xml");
        saveAs(missing);
        QCOMPARE(messages_.size(), std::size_t{1});
        const QString text = QString::fromStdString(messages_[0].text);
        QVERIFY2(text.contains(missing) && text.contains(QStringLiteral("folder")),
                 qPrintable(text));
        // Not a regular file: refused, left as it was.
        const QString fifo = work_ + QStringLiteral("/pipe.xml");
        QVERIFY(::mkfifo(fifo.toLocal8Bit().constData(), 0600) == 0);
        saveAs(fifo);
        QCOMPARE(messages_.size(), std::size_t{2});
        QVERIFY(QFileInfo(fifo).exists() && !QFileInfo(fifo).isFile());
        QFile::remove(fifo);
    }

    void aFileThatDoesNotLoadGetsNoItem() {
        QFile broken(work_ + QStringLiteral("/broken.x"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("xof 0303txt 0032\nMesh { 3; garbage");
        broken.close();
        // While the message says why, the tree shows no item for the file either.
        int itemsShownWhileTold = -1;
        SetMessageBoxHandler([&](const std::string& text, const std::string& caption, UINT type) {
            messages_.push_back({text, caption, type});
            itemsShownWhileTold = 0;
            for (int i = 0; i < root(1)->childCount(); ++i) {
                itemsShownWhileTold += root(1)->child(i)->isHidden() ? 0 : 1;
            }
            return IDOK;
        });
        openFile(work_ + QStringLiteral("/broken.x"));
        QCOMPARE(itemsShownWhileTold, 0);
        QCOMPARE(root(1)->childCount(), 0);
        QCOMPARE(messages_.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(messages_[0].text).contains(QStringLiteral("broken.x")));
    }

    void windowSizeIsStoredOnClose() {
        window_.reset();
        QSettings settings;
        settings.beginGroup(QString::fromLatin1(RenderHost::kSettingsPath));
        QCOMPARE(settings.value(QStringLiteral("Width")).toInt(), AppForm::kViewWidth);
        QCOMPARE(settings.value(QStringLiteral("Height")).toInt(), AppForm::kViewHeight);
        init();
    }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderGuiTest>(argc, argv);
}

#include "builder_gui_test.moc"
