// The builder as an editor: every edit can be undone and redone, unsaved work is never
// thrown away without asking, and a builder that was killed leaves a copy to restore.
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QRandomGenerator>
#include <QStatusBar>
#include <QUndoStack>

#include <csignal>
#include <set>

#include "builder_fixture.h"
#include "edit/RecoveryCopies.h"
#include "files/SimulationFile.h"

class BuilderHistoryTest : public BuilderFixture {
    Q_OBJECT

    enum class Work { Drive, LaidPoints, Placed };

    QString scenes() const { return work_ + QStringLiteral("/samples/scenes"); }

    QTreeWidgetItem* courseChild(QTreeWidgetItem* course, const QString& text) {
        for (int i = 0; i < course->childCount(); ++i) {
            if (course->child(i)->text(0) == text && !course->child(i)->isHidden()) {
                return course->child(i);
            }
        }
        return nullptr;
    }

    // The lift and the kept heading of each of the current course's meshes.
    std::vector<std::pair<float, float>> extras() {
        RenderHost::EngineScope scope(host());
        HTREEITEM course = nullptr;
        twx_current_course(&course);
        std::vector<TwxMeshExtra> all(static_cast<std::size_t>(twx_mesh_count()));
        twx_get_course_extras(course, all.data(), static_cast<int>(all.size()));
        std::vector<std::pair<float, float>> pairs;
        for (const TwxMeshExtra& extra : all) {
            pairs.emplace_back(extra.lift, extra.turn);
        }
        return pairs;
    }

    // extras() but for the driven mesh's turn, which follows the arrow keys' heading
    // every frame (and choosing a course turns that heading to the course's start):
    // what undo and redo are to put back.
    std::vector<std::pair<float, float>> undoableExtras() {
        std::vector<std::pair<float, float>> pairs = extras();
        RenderHost::EngineScope scope(host());
        const int driven = twx_controlled_mesh();
        if (driven >= 0 && driven < static_cast<int>(pairs.size())) {
            pairs[static_cast<std::size_t>(driven)].second = 0;
        }
        return pairs;
    }

    // The one folder of recovery copies under root; empty when there is not exactly one.
    static QString onlyFolder(const QString& root) {
        const QStringList folders = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        return folders.size() == 1 ? root + QLatin1Char('/') + folders.front() : QString();
    }

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    void twentyMixedEditsUndoToTheOpenedFileAndRedoToTheEditedScene() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QTreeWidgetItem* course1 = child(4, QStringLiteral("course1"));
        const LSession_t opened = session();
        const auto openedExtras = undoableExtras();
        QUndoStack& history = form().history();
        const int start = history.index();
        QVERIFY(!form().isModified());

        openFile(work_ + QStringLiteral("/samples/meshes/ball.x"));
        openFile(work_ + QStringLiteral("/samples/meshes/box.x"));
        openFile(work_ + QStringLiteral("/samples/sounds/hit.wav"));
        select(course1);
        select(child(1, QStringLiteral("ball.x")));
        form().button(AppForm::kAssignButton)->click();
        select(child(1, QStringLiteral("box.x")));
        form().button(AppForm::kAssignButton)->click();
        QVERIFY(form().isModified());
        waitFrames(3);
        const int box = static_cast<int>(session().meshes.size()) - 1;
        const QPoint at = drawnMesh(box).toPoint();
        drag(at, at + QPoint(40, 10));
        adjustWithDialog(drawnMesh(box).toPoint(), 2, 45, true);
        QCOMPARE(extras().back().first, 2.0f);
        QCOMPARE(window_->statusBar()->currentMessage(),
                 QStringLiteral("Raised box.x by 2 and turned it to 45 degrees."));

        pickCollision(QStringLiteral("ball.x"), QStringLiteral("box.x"), QStringLiteral("hit.wav"));
        select(course1);
        form().button(AppForm::kSoundAssignButton)->click();

        select(course1->child(0)); // the scene's first mesh
        form().button(AppForm::kDeleteButton)->click();
        select(courseChild(course1, QStringLiteral("roll.wav: ball.x moves")));
        form().button(AppForm::kDeleteButton)->click();

        // The course's first point raised and inclined.
        selectTab(2);
        const LPoint_t dot = opened.dottedPoints.front();
        adjustWithDialog(QPoint(static_cast<int>(dot.x), static_cast<int>(dot.y)), 2, 20, false);
        QVERIFY(session().calculatedPoints.front().y != opened.calculatedPoints.front().y);

        // Points laid for a new course, cleared, laid again and made a course, which
        // is deleted again.
        clickView(QPoint(300, 220));
        clickView(QPoint(340, 220));
        form().button(AppForm::kClearButton)->click();
        for (const QPoint p : {QPoint(300, 220), QPoint(340, 230), QPoint(320, 270)}) {
            clickView(p);
        }
        form().button(AppForm::kCreateButton)->click();
        QVERIFY(child(4, QStringLiteral("course2")) != nullptr);
        form().setConfirmation([](const QString&) { return true; });
        select(child(4, QStringLiteral("course2")));
        form().button(AppForm::kDeleteButton)->click();
        QVERIFY(child(4, QStringLiteral("course2")) == nullptr);
        select(course1);
        selectTab(1);
        select(child(1, QStringLiteral("ball.x")));
        form().button(AppForm::kAssignButton)->click();

        const int steps = history.index() - start;
        QVERIFY2(steps >= 20, qPrintable(QString::number(steps)));
        const LSession_t edited = session();
        const auto editedExtras = undoableExtras();
        QCOMPARE(window_->action(40021) != nullptr, true);
        QVERIFY(history.undoText().startsWith(QStringLiteral("place ")));

        // Back to the opened file, step by step.
        for (int i = 0; i < steps; ++i) {
            history.undo();
            QApplication::processEvents();
        }
        select(course1);
        compareScenes(opened, session(), true);
        QCOMPARE(undoableExtras(), openedExtras);
        QCOMPARE(
            root(1)->childCount() -
                [&] {
                    int hidden = 0;
                    for (int i = 0; i < root(1)->childCount(); ++i) {
                        hidden += root(1)->child(i)->isHidden() ? 1 : 0;
                    }
                    return hidden;
                }(),
            0);
        QVERIFY(!form().isModified());

        // And forward again to the edited scene.
        for (int i = 0; i < steps; ++i) {
            history.redo();
            QApplication::processEvents();
        }
        select(course1);
        compareScenes(edited, session(), true);
        QCOMPARE(undoableExtras(), editedExtras);
        QVERIFY(child(4, QStringLiteral("course2")) == nullptr);
        QVERIFY(form().isModified());
    }

    // Only work that no file holds is asked about: a drive in Play is none, laid points
    // without a course are, and so is an edit. Discarded, it is not asked about again,
    // and nothing was written.
    void onlyUnsavedWorkIsAskedAbout_data() {
        QTest::addColumn<int>("work");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("a drive in Play") << static_cast<int>(Work::Drive) << false;
        QTest::newRow("points laid, no course made") << static_cast<int>(Work::LaidPoints) << true;
        QTest::newRow("a mesh placed") << static_cast<int>(Work::Placed) << true;
    }

    void onlyUnsavedWorkIsAskedAbout() {
        QFETCH(int, work);
        QFETCH(bool, unsaved);
        // A copy beside the scene's files, which stays as it is unless saved.
        const QString scene =
            scenes() + QStringLiteral("/asked-") + QString::number(work) + QStringLiteral(".xml");
        QFile::remove(scene);
        QVERIFY(QFile::copy(scenes() + QStringLiteral("/demo.xml"), scene));
        const auto bytes = [&scene] {
            QFile file(scene);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QByteArray before = bytes();
        openFile(scene);
        QVERIFY(!window_->isWindowModified());
        const LSession_t opened = session();
        QVERIFY(!opened.meshes.empty());
        switch (static_cast<Work>(work)) {
        case Work::Drive: {
            // The scene's first mesh chosen in the tree answers the arrow keys.
            select(child(4, QStringLiteral("course1"))->child(0));
            selectTab(0);
            holdKey(Qt::Key_Up, 40);
            const LSession_t driven = session();
            QVERIFY(std::hypot(driven.meshes.front().x - opened.meshes.front().x,
                               driven.meshes.front().z - opened.meshes.front().z) > 0.01f);
            break;
        }
        case Work::LaidPoints:
            selectTab(2);
            for (const QPoint p : {QPoint(300, 220), QPoint(340, 230), QPoint(320, 270)}) {
                clickView(p);
            }
            break;
        case Work::Placed:
            placeMesh(QStringLiteral("cone.x"));
            break;
        }
        QCOMPARE(window_->isWindowModified(), unsaved);

        QStringList asked;
        window_->setUnsavedAnswer([&](const QString& question) {
            asked << question;
            return QMessageBox::Discard;
        });
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QCOMPARE(asked.size(), unsaved ? 1 : 0);
        if (static_cast<Work>(work) == Work::LaidPoints) {
            QVERIFY2(asked.front().contains(QStringLiteral("points")), qPrintable(asked.front()));
        }
        QVERIFY(child(4, QStringLiteral("course2")) != nullptr);
        QVERIFY(!window_->isWindowModified());
        QVERIFY(window_->close());
        QCOMPARE(asked.size(), unsaved ? 1 : 0);
        QCOMPARE(bytes(), before);
    }

    void closingWithUnsavedChangesAsks() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(window_->windowTitle().startsWith(QStringLiteral("demo.xml")));
        openFile(work_ + QStringLiteral("/samples/meshes/cone.x"));
        select(child(4, QStringLiteral("course1")));
        select(child(1, QStringLiteral("cone.x")));
        form().button(AppForm::kAssignButton)->click();
        QVERIFY(window_->isWindowModified());

        QString asked;
        window_->setUnsavedAnswer([&](const QString& question) {
            asked = question;
            return QMessageBox::Cancel;
        });
        QVERIFY(!window_->close());
        QVERIFY(asked.contains(QStringLiteral("demo.xml")));
        QVERIFY(window_->isVisible());

        // Opening another scene over the changes asks too; cancelled, nothing opens.
        asked.clear();
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(!asked.isEmpty());
        QVERIFY(child(4, QStringLiteral("course2")) == nullptr);

        // Saved, the window closes without asking again.
        window_->setUnsavedAnswer([&](const QString&) { return QMessageBox::Save; });
        QVERIFY(window_->close());
        QVERIFY(QFile(scenes() + QStringLiteral("/demo.xml")).size() > 0);
        stopBuilder();
        startBuilder();
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(!session().meshes.empty());
        QCOMPARE(nameFieldText(session().meshes.back().name), std::string_view("cone.x"));
    }

    // The save asked for before another scene opens chooses a name of its own; the scene
    // chosen to open is still the one that opens.
    void savingBeforeOpeningAnotherSceneOpensTheSceneChosen() {
        layCourse();
        const QString saved = work_ + QStringLiteral("/first.xml");
        const QString demo = scenes() + QStringLiteral("/demo.xml");
        window_->files().setChooser([&](const FileDialogRequest& request) {
            return request.mode == FileDialogRequest::Mode::Save ? saved : demo;
        });
        window_->setUnsavedAnswer([](const QString&) { return QMessageBox::Save; });
        window_->files().open();
        QVERIFY(QFileInfo::exists(saved));
        QVERIFY2(window_->windowTitle().startsWith(QStringLiteral("demo.xml")),
                 qPrintable(window_->windowTitle()));
        QVERIFY(!session().meshes.empty()); // the laid course had none

        // A save that fails says why aloud, and nothing opens over the changes.
        selectTab(2);
        clickView(QPoint(320, 240));
        messages_.clear();
        window_->files().open();
        QCOMPARE(messages_.size(), std::size_t{1});
        QVERIFY2(QString::fromStdString(messages_.front().text).contains(QStringLiteral("1 laid")),
                 messages_.front().text.c_str());
        QVERIFY(form().hasUnsavedPoints());
    }

    // Cancelling the name that save asks for cancels the open too, without an error.
    void cancellingTheSaveBeforeOpeningAnotherSceneOpensNothingAndSaysNothing() {
        layCourse();
        const QString title = window_->windowTitle();
        window_->files().setChooser([&](const FileDialogRequest& request) {
            return request.mode == FileDialogRequest::Mode::Save
                       ? QString()
                       : scenes() + QStringLiteral("/demo.xml");
        });
        window_->setUnsavedAnswer([](const QString&) { return QMessageBox::Save; });
        messages_.clear();
        window_->files().open();
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        QCOMPARE(window_->windowTitle(), title);
        QVERIFY(form().isModified());
    }

    void twoCoursesFromOneFileAreNotSavedOverEachOther() {
        const QString demo = scenes() + QStringLiteral("/demo.xml");
        const auto meshesIn = [](const QString& path) {
            LSession_t record;
            readSimulationFile(path.toStdString(), record, nullptr);
            return record.meshes.size();
        };
        const std::size_t before = meshesIn(demo);
        openFile(work_ + QStringLiteral("/samples/meshes/cone.x"));
        openFile(demo);
        openFile(demo);
        for (const auto& [course, cones] :
             {std::pair{QStringLiteral("course1"), 1}, std::pair{QStringLiteral("course2"), 2}}) {
            for (int i = 0; i < cones; ++i) {
                select(child(4, course));
                select(child(1, QStringLiteral("cone.x")));
                form().button(AppForm::kAssignButton)->click();
            }
        }
        QCOMPARE(form().modifiedCourses().size(), std::size_t{2});
        const QString other = work_ + QStringLiteral("/other.xml");
        chosen_ = other;
        lastRequest_ = {};
        window_->setUnsavedAnswer([](const QString&) { return QMessageBox::Save; });
        QVERIFY(window_->settleUnsavedChanges(QStringLiteral("quit")));
        // The second course from the same file asked for a name of its own.
        QCOMPARE(lastRequest_.mode, FileDialogRequest::Mode::Save);
        QCOMPARE(std::set({meshesIn(demo), meshesIn(other)}), std::set({before + 1, before + 2}));
    }

    void eachStepIsNamedForWhatItDidAndUndoSaysWhatItTookBack() {
        layCourse();
        placeMesh(QStringLiteral("ball.x"));
        openFile(work_ + QStringLiteral("/samples/bitmaps/flag.bmp"));
        select(child(2, QStringLiteral("flag.bmp")));
        form().button(AppForm::kAssignButton)->click();
        QUndoStack& history = form().history();
        QCOMPARE(history.undoText(), QStringLiteral("place flag.bmp"));
        window_->findChild<QAction*>(QStringLiteral("undo"))->trigger();
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Undone: place flag.bmp"));
        window_->findChild<QAction*>(QStringLiteral("redo"))->trigger();
        QCOMPARE(window_->statusBar()->currentMessage(), QStringLiteral("Redone: place flag.bmp"));
        // A drag is named for what it moved: here the flag, grabbed above the ball that
        // was placed at the same spot (the ball stays driven).
        selectTab(1);
        waitFrames(3);
        const SessionBitmap flag = session().bitmaps.back();
        const QPoint at = projected(D3DXVECTOR3(flag.x, flag.y + 10, flag.z)).toPoint();
        drag(at, at + QPoint(30, 0));
        QCOMPARE(history.undoText(), QStringLiteral("move flag.bmp"));

        // Undoing the drag puts the flag back and nothing else: the ball, driven on in
        // Play since, stays where it went.
        clickView(drawnMesh(0).toPoint()); // drives the ball
        selectTab(0);
        holdKey(Qt::Key_Up, 40);
        selectTab(1);
        const SessionXfile rolled = session().meshes.back();
        QVERIFY(rolled.x != session().bitmaps.back().x || rolled.z != session().bitmaps.back().z);
        window_->findChild<QAction*>(QStringLiteral("undo"))->trigger();
        QCOMPARE(session().bitmaps.back().x, flag.x);
        QCOMPARE(session().bitmaps.back().z, flag.z);
        QCOMPARE(session().meshes.back().x, rolled.x);
        QCOMPARE(session().meshes.back().z, rolled.z);
        // So does undoing a placement: the flag goes, the ball stays.
        window_->findChild<QAction*>(QStringLiteral("undo"))->trigger();
        QCOMPARE(history.redoText(), QStringLiteral("place flag.bmp"));
        QVERIFY(session().bitmaps.empty());
        QCOMPARE(session().meshes.back().x, rolled.x);
        QCOMPARE(session().meshes.back().z, rolled.z);
    }

    void theTitleFollowsTheSceneAndItsUnsavedState() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(!window_->isWindowModified());
        // Saved under a new name, the title says the new name at once.
        saveAs(work_ + QStringLiteral("/renamed.xml"));
        QVERIFY(window_->windowTitle().startsWith(QStringLiteral("renamed.xml")));
        // Unsaved work shows even when no course is chosen.
        layCourse();
        QVERIFY(window_->isWindowModified());
        form().button(AppForm::kClearButton)->click();
        QVERIFY(window_->windowTitle().contains(QStringLiteral("[*]")));
        QVERIFY(window_->isWindowModified());
    }

    // A user who did not ask for them never sees the libraries' warnings.
    void theLibrariesWarningsGoToTheLogUnlessAskedFor() {
        const auto run = [this](const QStringList& extra) {
            QProcess builder;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.remove(QStringLiteral("XDG_RUNTIME_DIR")); // Qt warns about it
            environment.remove(QStringLiteral("ALSOFT_DRIVERS"));  // so may the sound library
            builder.setProcessEnvironment(environment);
            builder.setWorkingDirectory(work_);
            builder.start(QStringLiteral(TW_BUILDER_PATH),
                          QStringList{QStringLiteral("--quit-after"), QStringLiteral("1")} + extra);
            builder.waitForFinished(60000);
            return QString::fromUtf8(builder.readAllStandardError());
        };
        const QString quiet = run({});
        QVERIFY2(!quiet.contains(QStringLiteral("XDG_RUNTIME_DIR")), qPrintable(quiet));
        QVERIFY2(!quiet.contains(QStringLiteral("ALSA")), qPrintable(quiet));
        QFile log(qEnvironmentVariable("XDG_STATE_HOME") +
                  QStringLiteral("/Tumbleway/TumblewayBuilder.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QVERIFY(log.readAll().contains("XDG_RUNTIME_DIR"));
        const QString verbose = run({QStringLiteral("--verbose")});
        QVERIFY2(verbose.contains(QStringLiteral("XDG_RUNTIME_DIR")), qPrintable(verbose));
    }

    // The builder killed after an edit: its next start restores the edit.
    void aKilledBuilderLeavesWorkToRestore() {
        // Where the controls are, from a window of the same size.
        const QPoint makeField =
            form().tabs()->tabRect(2).center() + form().tabs()->mapTo(window_.get(), QPoint());
        QPushButton* create = form().button(AppForm::kCreateButton);
        const QPoint createAt = create->mapTo(window_.get(), create->rect().center());
        const QPoint view = host().view()->mapTo(window_.get(), QPoint());
        stopBuilder();

        QProcess builder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TUMBLEWAY_RECOVERY_SECONDS"), QStringLiteral("1"));
        builder.setProcessEnvironment(environment);
        builder.setWorkingDirectory(work_);
        builder.start(QStringLiteral(TW_BUILDER_PATH), {});
        QVERIFY(builder.waitForStarted());
        const auto xdotool = [](const QStringList& arguments) {
            QProcess tool;
            tool.start(QStringLiteral("xdotool"), arguments);
            return tool.waitForFinished(20000) && tool.exitCode() == 0
                       ? QString::fromUtf8(tool.readAllStandardOutput()).trimmed()
                       : QString();
        };
        const QString id = xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                                    QStringLiteral("--pid"), QString::number(builder.processId()),
                                    QStringLiteral("--name"), QStringLiteral("Tumbleway Builder")})
                               .split(QLatin1Char('\n'))
                               .front();
        QVERIFY(!id.isEmpty());
        QTest::qWait(1500);
        const auto click = [&](QPoint p) {
            xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), id,
                     QString::number(p.x()), QString::number(p.y()), QStringLiteral("click"),
                     QStringLiteral("1")});
            QTest::qWait(150);
        };
        click(makeField);
        for (const QPoint p : {QPoint(320, 120), QPoint(480, 300), QPoint(200, 330)}) {
            click(view + p);
        }
        click(createAt);
        // The copy is written a second after the change; the kill comes at a random
        // moment after that.
        const QString root = RecoveryCopies::defaultRoot().replace(
            QStringLiteral("TumblewayBuilderTest"), QStringLiteral("TumblewayBuilder"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(onlyFolder(root) + QStringLiteral("/1.xml")),
                                 15000);
        QTest::qWait(QRandomGenerator::global()->bounded(500));
        ::kill(static_cast<pid_t>(builder.processId()), SIGKILL);
        QVERIFY(builder.waitForFinished());

        startBuilder();
        // The copies are looked for where the program itself keeps them.
        const QString ownName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("TumblewayBuilder"));
        QString asked;
        window_->setRecoveryAnswer([&](const QString& question) {
            asked = question;
            return true;
        });
        window_->offerRecovery();
        QVERIFY(asked.contains(QStringLiteral("course1")));
        QTreeWidgetItem* restored = child(4, QStringLiteral("course1"));
        QVERIFY(restored != nullptr);
        QCOMPARE(session().calculatedPoints.size(), std::size_t{3});
        QVERIFY(form().isModified());
        // Offered once: the copy is gone.
        asked.clear();
        window_->offerRecovery();
        QCoreApplication::setApplicationName(ownName);
        QVERIFY(asked.isEmpty());
    }

    // Three crashes, each restored: the course with its placements and relation, the
    // library and the scene file (in a folder whose name holds a tab) all come back. The
    // second and third crash come right after the restore, and every crashed folder names
    // this process, whose id the next builder has too.
    void everyCrashAndRestoreKeepsTheLibraryAndTheCourse() {
        layCourse();
        placeMesh(QStringLiteral("car.x"));
        placeMesh(QStringLiteral("ball.x"));
        openFile(work_ + QStringLiteral("/samples/sounds/hit.wav"));
        pickCollision(QStringLiteral("car.x"), QStringLiteral("ball.x"), QStringLiteral("hit.wav"));
        select(child(4, QStringLiteral("course1")));
        form().button(AppForm::kSoundAssignButton)->click();
        const QString scene = work_ + QStringLiteral("/my\tscenes/mine.xml");
        QVERIFY(QDir().mkpath(QFileInfo(scene).path()));
        saveAs(scene);
        placeMesh(QStringLiteral("ball.x")); // the unsaved work
        const LSession_t before = session();
        QCOMPARE(before.relations.size(), std::size_t{1});
        QVERIFY(window_->writeRecoveryCopies());

        const QString root = RecoveryCopies::defaultRoot();
        for (int cycle = 1; cycle <= 3; ++cycle) {
            const QString crashed = onlyFolder(root);
            QVERIFY(QDir().rename(crashed, root + QStringLiteral("-aside")));
            stopBuilder();
            QVERIFY(QDir().rename(root + QStringLiteral("-aside"), crashed));
            startBuilder();
            window_->setRecoveryAnswer([](const QString&) { return true; });
            window_->offerRecovery();
            compareScenes(session(), before, true);
            for (const auto& [kind, name] :
                 {std::pair{1, QStringLiteral("car.x")}, std::pair{1, QStringLiteral("ball.x")},
                  std::pair{3, QStringLiteral("hit.wav")}}) {
                QVERIFY2(child(kind, name) != nullptr && !child(kind, name)->isHidden(),
                         qPrintable(name));
            }
            QCOMPARE(form().modifiedCourses().size(), std::size_t{1});
            QCOMPARE(form().modifiedCourses().front().file, scene);
            QVERIFY(messages_.empty());
            // The crashed copy is gone only because this builder's own is whole.
            QVERIFY(!QFileInfo::exists(crashed));
            QVERIFY(QFileInfo::exists(onlyFolder(root) + QStringLiteral("/1.xml")));
        }
    }

    void aRestoreBringsBackEveryCourseWithoutAskingAndSavesBesideTheOriginal() {
        // What a builder that died with two changed courses leaves behind.
        const QString left = RecoveryCopies::defaultRoot() + QStringLiteral("/999999999");
        QVERIFY(QDir().mkpath(left));
        const QString demo = scenes() + QStringLiteral("/demo.xml");
        QVERIFY(QFile::copy(demo, left + QStringLiteral("/1.xml")));
        QVERIFY(QFile::copy(demo, left + QStringLiteral("/2.xml")));
        QFile index(left + QStringLiteral("/index.txt"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(QStringLiteral("course\t2.xml\tcourse2\t\ncourse\t1.xml\tcourse1\t%1\n")
                        .arg(demo)
                        .toUtf8());
        index.close();

        int asked = 0;
        window_->setUnsavedAnswer([&](const QString&) {
            ++asked;
            return QMessageBox::Cancel;
        });
        window_->setRecoveryAnswer([](const QString&) { return true; });
        window_->offerRecovery();
        QCOMPARE(asked, 0);
        QCOMPARE(shownChildren(4), 2);
        // Named as the tree names them now, not as the builder that died did.
        QCOMPARE(window_->statusBar()->currentMessage(),
                 QStringLiteral("Restored: course1, course2 (demo.xml). Save it to keep it."));
        QVERIFY(form().isModified());
        QCOMPARE(form().modifiedCourses().size(), std::size_t{2});
        QVERIFY(!QFileInfo::exists(left));
        // Restoring is where the session starts: there is nothing to undo into the copies.
        QVERIFY(!form().history().canUndo());
        // The quick save goes beside the scene the work came from, not into the copies'
        // folder that is gone.
        window_->files().save();
        QVERIFY(QFileInfo::exists(scenes() + QStringLiteral("/velmora.sim")));
    }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderHistoryTest>(argc, argv);
}

#include "builder_history_test.moc"
