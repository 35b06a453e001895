// Whole sessions of a user in the real builder window, driven by mouse clicks at view
// pixels and keys held for frames, with the file dialogs answered by paths: what the
// user made must come back from disk, and every step must lead somewhere.
#include <QDialogButtonBox>
#include <QLabel>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>

#include "builder_fixture.h"
#include "files/SessionFileIO.h"
#include "files/SimulationFile.h"
#include "input/InputConfigDialog.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

class BuilderSessionTest : public BuilderFixture {
    Q_OBJECT

    QString scenes() const { return work_ + QStringLiteral("/samples/scenes"); }
    QString statusText() { return window_->statusBar()->currentMessage(); }

    QTreeWidgetItem* courseChild(QTreeWidgetItem* course, const QString& text) {
        for (int i = 0; i < course->childCount(); ++i) {
            if (course->child(i)->text(0) == text) {
                return course->child(i);
            }
        }
        return nullptr;
    }

    // Binds "Rotate up" on the keyboard to W in the input settings (F3).
    void rebindRotateUpToW() {
        bool driven = false;
        QTimer::singleShot(200, [&] {
            auto* dialog = qobject_cast<InputConfigDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            auto* bindings = dialog->findChild<QTableWidget*>(QStringLiteral("bindings"));
            int row = -1;
            for (int r = 0; r < bindings->rowCount(); ++r) {
                if (bindings->verticalHeaderItem(r)->text() == QStringLiteral("Rotate up")) {
                    row = r;
                }
            }
            QVERIFY(row >= 0);
            bindings->setCurrentCell(row, 0);
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("assign")),
                              Qt::LeftButton);
            QTest::keyClick(dialog->windowHandle(), Qt::Key_W);
            QCOMPARE(bindings->item(row, 0)->text(), QStringLiteral("W"));
            dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttons"))
                ->button(QDialogButtonBox::Ok)
                ->click();
            driven = true;
        });
        window_->action(40011)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(driven, 10000);
        waitFrames(3);
    }

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    // File > Export course: nothing without a course, the course where the dialog says,
    // and a folder that is not there told of in a box, with nothing written.
    void exportingTheCourseWritesAGlbOrSaysWhyNot() {
        QAction* exportCourse = window_->findChild<QAction*>(QStringLiteral("exportCourse"));
        QVERIFY(exportCourse != nullptr);
        const QString written = work_ + QStringLiteral("/course.glb");
        chosen_ = written;
        exportCourse->trigger();
        QVERIFY2(statusText().contains(QStringLiteral("Nothing exported")),
                 qPrintable(statusText()));
        QVERIFY(!QFileInfo::exists(written));

        openFile(scenes() + QStringLiteral("/demo.xml"));
        chosen_ = written;
        exportCourse->trigger();
        QCOMPARE(lastRequest_.defaultSuffix, QStringLiteral("glb"));
        QVERIFY2(statusText().contains(QStringLiteral("Exported")), qPrintable(statusText()));
        QFile file(written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(4), QByteArray("glTF"));
        QVERIFY(messages_.empty());

        chosen_ = work_ + QStringLiteral("/missing/course.glb");
        exportCourse->trigger();
        QCOMPARE(messages_.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(messages_.front().text).contains(QStringLiteral("missing")));
        QVERIFY2(statusText().contains(QStringLiteral("Not exported")), qPrintable(statusText()));
        QVERIFY(!QFileInfo::exists(work_ + QStringLiteral("/missing")));
    }

    // Open, overwrite-save, a refused create, overwrite-save again, open what was saved:
    // nothing the scene held is lost on the way.
    void anOverwriteSaveKeepsTheWholeLiveScene() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(messages_.empty());
        const LSession_t opened = session();
        QVERIFY(opened.meshes.size() > 1 && !opened.relations.empty());

        window_->action(40025)->trigger();
        const QString sim = scenes() + QStringLiteral("/velmora.sim");
        const qint64 first = QFileInfo(sim).size();
        QVERIFY(first > 40);
        // Bitmaps have no place in this format, and the user is told.
        QVERIFY2(statusText().contains(QStringLiteral("bitmap")), qPrintable(statusText()));

        selectTab(2);
        form().button(AppForm::kCreateButton)->click();
        QVERIFY2(statusText().contains(QStringLiteral("No course created")),
                 qPrintable(statusText()));
        QCOMPARE(root(4)->childCount(), 1);
        selectTab(1);
        window_->action(40025)->trigger();
        QCOMPARE(QFileInfo(sim).size(), first);

        // A mesh placed after opening is saved too.
        openFile(work_ + QStringLiteral("/samples/meshes/cone.x"));
        select(child(4, QStringLiteral("course1")));
        select(child(1, QStringLiteral("cone.x")));
        form().button(AppForm::kAssignButton)->click();
        // The overwrite save writes where the last file dialog left the current folder,
        // and says where.
        window_->action(40025)->trigger();
        const QString again = QDir::current().absoluteFilePath(QStringLiteral("velmora.sim"));
        QVERIFY2(statusText().contains(again), qPrintable(statusText()));
        QCOMPARE(QFileInfo(again).size(), first + 148);
        const LSession_t placed = session();

        openFile(again);
        QVERIFY(messages_.empty());
        QCOMPARE(form().currentCourseEntry()->item, AppForm::handleOf(child(4, "course2")));
        compareScenes(placed, session(), false);
    }

    // A new user's way from the sample scene to a saved scene opened in a second window.
    void aUserSessionLeadsSomewhereAtEveryStep() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QCOMPARE(form().currentCourseEntry()->item, AppForm::handleOf(child(4, "course1")));
        // Something to drive at once: the scene's last placed mesh, named in the status bar.
        auto* controlled = window_->statusBar()->findChild<QLabel*>(QStringLiteral("controlled"));
        QTRY_VERIFY(controlled->text().contains(QStringLiteral("car.x")));
        // A click beside the view (on the background of the controls) is not a click
        // into the scene: what is driven stays.
        selectTab(0);
        const QRect view = form().viewFrame()->geometry();
        QTest::mouseClick(&form(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(view.right() + 6, view.center().y()));
        waitFrames(2);
        QVERIFY(controlled->text().contains(QStringLiteral("car.x")));

        // Eight points laid over the current course are drawn where they were clicked.
        selectTab(2);
        waitFrames(2);
        const QImage before = host().view()->grabFramebuffer();
        std::vector<QPoint> clicks;
        for (int i = 0; i < 8; ++i) {
            const double a = i * 3.14159265 / 4;
            // Inside the sample course's loop, clear of its own dots and trace.
            clicks.emplace_back(320 + static_cast<int>(70 * std::cos(a)),
                                240 + static_cast<int>(60 * std::sin(a)));
            clickView(clicks.back());
        }
        waitFrames(3);
        const QImage after = host().view()->grabFramebuffer();
        for (const QPoint& click : clicks) {
            const QPoint dot = click; // the dot's middle
            QVERIFY2(after.pixel(dot) != before.pixel(dot),
                     qPrintable(QStringLiteral("no dot at %1,%2").arg(dot.x()).arg(dot.y())));
        }
        form().button(AppForm::kCreateButton)->click();
        QTreeWidgetItem* course = child(4, QStringLiteral("course2"));
        QVERIFY(course != nullptr);
        QCOMPARE(session().calculatedPoints.size(), std::size_t{8});
        // The new course drives nothing yet: the first course's car is no longer shown
        // as driven.
        QTreeWidgetItem* first = child(4, QStringLiteral("course1"));
        for (int i = 0; i < first->childCount(); ++i) {
            QVERIFY2(!first->child(i)->font(0).bold(), qPrintable(first->child(i)->text(0)));
        }
        QTRY_VERIFY(!controlled->text().contains(QStringLiteral("car.x")));

        // Files from three folders, placed long after the dialogs moved on.
        openFile(work_ + QStringLiteral("/samples/meshes/car.x"));
        openFile(work_ + QStringLiteral("/samples/bitmaps/flag.bmp"));
        openFile(work_ + QStringLiteral("/samples/sounds/hit.wav"));
        openFile(work_ + QStringLiteral("/samples/meshes/ball.x"));
        QVERIFY(messages_.empty());
        selectTab(1);
        select(course);
        select(child(1, QStringLiteral("car.x")));
        form().button(AppForm::kAssignButton)->click();
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        QVERIFY(courseChild(course, QStringLiteral("car.x")) != nullptr);

        // The car is dragged and stays under the cursor.
        waitFrames(3);
        // Held by the middle of its end facing the eye (its origin lies under it, where
        // nothing shows): the point the pick meets there moves with the cursor.
        D3DXVECTOR3 body(1.125f, 0.625f, 0);
        {
            TwxMeshPose pose{};
            D3DXMATRIX eyeToWorld;
            host().device()->GetTransform(D3DTS_VIEW, &eyeToWorld);
            D3DXMatrixInverse(&eyeToWorld, nullptr, &eyeToWorld);
            RenderHost::EngineScope scope(host());
            QCOMPARE(twx_get_mesh_pose(0, &pose), TWX_OK);
            // The model's x axis points away from the eye: its back end faces it.
            const float away = (pose.x - eyeToWorld._41) * pose.world[0] +
                               (pose.z - eyeToWorld._43) * pose.world[2];
            if (away > 0) {
                body.x = -body.x;
            }
        }
        const QPoint grab = drawnMesh(0, body).toPoint();
        QVERIFY(host().view()->rect().contains(grab));
        QTest::mousePress(host().view(), Qt::LeftButton, Qt::NoModifier, grab);
        QPoint cursor = grab;
        for (int step = 0; step < 6; ++step) {
            cursor += QPoint(12, 4);
            QTest::mouseMove(host().view(), cursor);
            waitFrames(2);
        }
        // Measured while held.
        const QPointF drawn = drawnMesh(0, body);
        QTest::mouseRelease(host().view(), Qt::LeftButton, Qt::NoModifier, cursor);
        waitFrames(3);
        QVERIFY2(std::hypot(drawn.x() - cursor.x(), drawn.y() - cursor.y()) < 6,
                 qPrintable(QStringLiteral("drawn at %1,%2, cursor at %3,%4")
                                .arg(drawn.x())
                                .arg(drawn.y())
                                .arg(cursor.x())
                                .arg(cursor.y())));

        // Raised with the height and orientation dialog.
        form().openXfileDialog();
        form().xfileDialog()->firstSlider()->setValue(2);
        form().xfileDialog()->findChild<QPushButton*>()->click();
        QTRY_VERIFY([&] {
            RenderHost::EngineScope scope(host());
            float lift = 0;
            return twx_get_mesh_lift(0, &lift) == TWX_OK && lift == 2.0f;
        }());

        // A bitmap and a second mesh beside it.
        select(child(2, QStringLiteral("flag.bmp")));
        form().button(AppForm::kAssignButton)->click();
        select(child(1, QStringLiteral("ball.x")));
        form().button(AppForm::kAssignButton)->click();
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        QVERIFY(courseChild(course, QStringLiteral("flag.bmp")) != nullptr);
        QTRY_VERIFY(controlled->text().contains(QStringLiteral("ball.x")));

        // A collision sound, listed under the course.
        select(child(1, QStringLiteral("car.x")));
        check(AppForm::kXfile1Check);
        select(child(1, QStringLiteral("ball.x")));
        check(AppForm::kXfile2Check);
        select(child(3, QStringLiteral("hit.wav")));
        check(AppForm::kSoundCheck);
        select(course);
        form().button(AppForm::kSoundAssignButton)->click();
        QVERIFY(courseChild(course, QStringLiteral("hit.wav: car.x hits ball.x")) != nullptr);

        // The car chosen under the course; in Play the arrow keys drive it.
        select(courseChild(course, QStringLiteral("car.x")));
        QTRY_VERIFY(controlled->text().contains(QStringLiteral("car.x")));
        selectTab(0);
        const float x0 = session().meshes.front().x;
        const float z0 = session().meshes.front().z;
        holdKey(Qt::Key_Up, 40);
        const LSession_t driven = session();
        QVERIFY(std::hypot(driven.meshes.front().x - x0, driven.meshes.front().z - z0) > 0.01f);

        // With "Rotate up" on W, the arrows still never reach the tree.
        rebindRotateUpToW();
        QTreeWidgetItem* chosen = form().tree()->currentItem();
        holdKey(Qt::Key_Up, 10);
        holdKey(Qt::Key_Down, 10);
        QCOMPARE(form().tree()->currentItem(), chosen);
        QVERIFY(form().currentCourseEntry() != nullptr);

        // Saved under a new name and opened in a second window: the same scene.
        selectTab(1);
        const LSession_t made = session();
        // Saved beside the scene's files, where a scene finds them.
        const QString saved = scenes() + QStringLiteral("/made.xml");
        saveAs(saved);
        QVERIFY2(statusText().contains(QStringLiteral("Saved")), qPrintable(statusText()));
        stopBuilder();
        startBuilder();
        openFile(saved);
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        compareScenes(made, session(), true);
        // The car comes back raised as it was.
        RenderHost::EngineScope scope(host());
        float lift = 0;
        QCOMPARE(twx_get_mesh_lift(0, &lift), TWX_OK);
        QCOMPARE(lift, 2.0f);
    }

    // A scene saved away from its files, reopened in a new builder: save as offers to
    // copy them beside it; otherwise the missing files are listed once, pointing at a
    // folder that holds them loads them, and what stays missing is kept and written
    // back by the next save.
    void aSceneSavedAwayFromItsFilesLosesNothing_data() {
        QTest::addColumn<bool>("copyOnSave");
        QTest::addColumn<QString>("folderPointedAt"); // under the work folder; "" for none
        QTest::newRow("files copied beside it") << true << QString();
        QTest::newRow("their folder pointed at") << false << QStringLiteral("samples/scenes");
        QTest::newRow("opened without them") << false << QString();
    }

    void aSceneSavedAwayFromItsFilesLosesNothing() {
        QFETCH(bool, copyOnSave);
        QFETCH(QString, folderPointedAt);
        layCourse();
        QTreeWidgetItem* course = form().tree()->currentItem();
        for (const QString& file :
             {QStringLiteral("meshes/car.x"), QStringLiteral("meshes/barrel.obj"),
              QStringLiteral("bitmaps/flag.bmp"), QStringLiteral("sounds/hit.wav")}) {
            openFile(work_ + QStringLiteral("/samples/") + file);
        }
        selectTab(1);
        for (const auto& [kind, name] :
             {std::pair{1, QStringLiteral("car.x")}, std::pair{1, QStringLiteral("barrel.obj")},
              std::pair{2, QStringLiteral("flag.bmp")}}) {
            select(child(kind, name));
            form().button(AppForm::kAssignButton)->click();
        }
        pickCollision(QStringLiteral("car.x"), QStringLiteral("barrel.obj"),
                      QStringLiteral("hit.wav"));
        select(course);
        form().button(AppForm::kSoundAssignButton)->click();
        const LSession_t made = session();
        QCOMPARE(made.meshes.size(), std::size_t{2});
        QCOMPARE(made.relations.size(), std::size_t{1});

        const QString away = work_ + QStringLiteral("/away-") + QTest::currentDataTag();
        QVERIFY(QDir().mkpath(away));
        const QString scene = away + QStringLiteral("/mycourse.xml");
        QStringList offered;
        form().setConfirmation([&](const QString& question) {
            offered << question;
            return copyOnSave;
        });
        saveAs(scene);
        QCOMPARE(offered.size(), 1);
        // The barrel's material file and picture go with it.
        for (const char* name :
             {"car.x", "barrel.obj", "barrel.mtl", "barrel.png", "flag.bmp", "hit.wav"}) {
            QVERIFY2(offered.front().contains(QLatin1String(name)), qPrintable(offered.front()));
            QCOMPARE(QFileInfo::exists(away + QLatin1Char('/') + QLatin1String(name)), copyOnSave);
        }
        QVERIFY2(statusText().contains(QStringLiteral("Copied beside it")) == copyOnSave,
                 qPrintable(statusText()));

        stopBuilder();
        startBuilder();
        QStringList listed;
        form().setMissingFilesAnswer([&](const QStringList& missing) {
            listed << missing.join(QLatin1Char(' '));
            return folderPointedAt.isEmpty() ? QString()
                                             : work_ + QLatin1Char('/') + folderPointedAt;
        });
        openFile(scene);
        // One list or none, never a box per file.
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        QCOMPARE(listed.size(), copyOnSave ? 0 : 1);
        const bool loaded = copyOnSave || !folderPointedAt.isEmpty();
        if (!copyOnSave) {
            for (const char* name : {"car.x", "barrel.obj", "flag.bmp", "hit.wav"}) {
                QVERIFY2(listed.front().contains(QLatin1String(name)), qPrintable(listed.front()));
            }
        }
        QCOMPARE(session().meshes.size(), loaded ? std::size_t{2} : std::size_t{0});
        QCOMPARE(session().relations.size(), loaded ? std::size_t{1} : std::size_t{0});
        QTreeWidgetItem* reopened = child(4, QStringLiteral("course1"));
        QVERIFY(reopened != nullptr);
        QCOMPARE(courseChild(reopened, QStringLiteral("car.x (missing)")) != nullptr, !loaded);
        QVERIFY(!window_->isWindowModified());

        // Saved again, by the same name and as the quick save: every placement is in the
        // files, missing or not.
        saveAs(scene);
        window_->action(40025)->trigger();
        LSession_t written;
        QVERIFY(readSimulationFile(scene.toStdString(), written, nullptr));
        compareScenes(made, written, true);
        LSession_t quick;
        QVERIFY(readSessionFile(kSessionFileName, quick));
        compareScenes(made, quick, false);

        // And what was kept loads once its files are found.
        stopBuilder();
        startBuilder();
        form().setMissingFilesAnswer(
            [&](const QStringList&) { return work_ + QStringLiteral("/samples/scenes"); });
        openFile(scene);
        QVERIFY2(messages_.empty(), messages_.empty() ? "" : messages_.front().text.c_str());
        compareScenes(made, session(), true);
    }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderSessionTest>(argc, argv);
}

#include "builder_session_test.moc"
