// Drives recorded in the builder and played again: in the builder on the recorded scene
// and on a course changed since, and in tumbleway-run, which must reproduce the
// recorded run bit for bit.
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QTableWidget>

#include "builder_fixture.h"
#include "files/ReplayFile.h"
#include "shell/ReplayController.h"
#include "shell/ReplayResultDialog.h"

class BuilderReplayTest : public BuilderFixture {
    Q_OBJECT

    QString scenes() const { return work_ + QStringLiteral("/samples/scenes"); }
    ReplayController& replay() { return window_->replay(); }

    // Records a drive of `frames` frames on the current course in Play, pushing the
    // driven object forward all the way and turning it left for a while in the middle,
    // and saves it as path.
    void recordDrive(int frames, const QString& path) {
        selectTab(0);
        host().view()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host().view()->window()));
        QWindow* window = host().view()->window()->windowHandle();
        // Frames run on a timer: the host stops right after the last frame to record,
        // so that the recording ends between two frames.
        const QMetaObject::Connection stopAtEnd =
            connect(&replay(), &ReplayController::progressChanged, this, [this, frames] {
                if (replay().recordedFrames() == frames) {
                    host().pause(true);
                }
            });
        window_->action(ReplayController::kRecordAction)->trigger();
        QVERIFY(replay().isRecording());
        QTest::keyPress(window, Qt::Key_Up);
        QTRY_VERIFY_WITH_TIMEOUT(replay().recordedFrames() >= frames / 3, 20000);
        QTest::keyPress(window, Qt::Key_Left);
        QTRY_VERIFY_WITH_TIMEOUT(replay().recordedFrames() >= 2 * frames / 3, 20000);
        QTest::keyRelease(window, Qt::Key_Left);
        QTRY_VERIFY_WITH_TIMEOUT(replay().recordedFrames() == frames && !host().isActive(), 20000);
        QTest::keyRelease(window, Qt::Key_Up);
        disconnect(stopAtEnd);
        chosen_ = path;
        window_->action(ReplayController::kRecordAction)->trigger();
        host().pause(false);
        QVERIFY(!replay().isRecording());
        QTRY_VERIFY(QFileInfo::exists(path));
    }

    // Waits for the replay to run out and for its result, then closes the result; the
    // table of distances as it showed them, row by row.
    QStringList replayResult() {
        QStringList rows;
        bool closed = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ReplayResultDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            const QTableWidget* table = dialog->distances();
            for (int row = 0; row < table->rowCount(); ++row) {
                rows << table->item(row, 0)->text() + QStringLiteral(": ") +
                            table->item(row, 1)->text();
            }
            dialog->accept();
            closed = true;
        });
        poll.start(50);
        [&] {
            QTRY_VERIFY_WITH_TIMEOUT(closed, 60000);
            QTRY_VERIFY(!replay().isReplaying());
        }();
        return rows;
    }

    // tumbleway-run on a recording; its stdout, and its stderr on failure.
    QString runReplay(const QStringList& arguments, int expectedStatus = 0) {
        QProcess runner;
        runner.setWorkingDirectory(work_);
        runner.start(QStringLiteral(TW_RUNNER_PATH),
                     QStringList{QStringLiteral("--data"), work_, QStringLiteral("--no-render")} +
                         arguments);
        [&] {
            QVERIFY(runner.waitForFinished(120000));
            QCOMPARE(runner.exitStatus(), QProcess::NormalExit);
            QVERIFY2(runner.exitCode() == expectedStatus, runner.readAllStandardError().data());
        }();
        return QString::fromUtf8(runner.readAllStandardOutput());
    }

    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    void aDriveRecordedOnTheSampleSceneReplaysBitForBitInTheRunner() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        const QString path = scenes() + QStringLiteral("/drive.replay");
        recordDrive(300, path);

        const ReplayRead read = readReplayFile(path.toStdString());
        QVERIFY2(read.replay.has_value(), read.error.c_str());
        const Replay& recorded = *read.replay;
        QCOMPARE(recorded.frames.size(), std::size_t{300});
        QCOMPARE(recorded.endPoses.size(), session().meshes.size());
        // The driven object was pushed and turned: it ended elsewhere, looking elsewhere.
        const ReplayMatrix& first = recorded.frames.front().controlledPose;
        const ReplayMatrix& last = recorded.frames.back().controlledPose;
        QVERIFY(std::hypot(last[12] - first[12], last[14] - first[14]) > 1.0f);
        QVERIFY(std::fabs(last[0] - first[0]) > 0.01f);
        // Stopping put the course back where the drive started.
        TwxMeshPose pose{};
        {
            RenderHost::EngineScope scope(host());
            QCOMPARE(twx_get_mesh_pose(recorded.controlled, &pose), int{TWX_OK});
        }
        QVERIFY(std::hypot(pose.x - last[12], pose.z - last[14]) > 1.0f);

        const QString traceA = work_ + QStringLiteral("/a.csv");
        const QString traceB = work_ + QStringLiteral("/b.csv");
        const QString report =
            runReplay({QStringLiteral("--replay"), path, QStringLiteral("--trace"), traceA});
        QVERIFY2(report.contains(QStringLiteral("path: as recorded in every frame, bit for bit")),
                 qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("result: identical to the recording")),
                 qPrintable(report));
        runReplay({QStringLiteral("--replay"), path, QStringLiteral("--trace"), traceB});
        const QByteArray trace = contents(traceA);
        QCOMPARE(trace.count('\n'), 1 + 300 * static_cast<int>(recorded.endPoses.size()));
        QCOMPARE(contents(traceB), trace);
    }

    void theSampleRecordingReplaysOnItsOwnSceneAsRecorded() {
        auto* progress = window_->statusBar()->findChild<QLabel*>(QStringLiteral("driveFrame"));
        QVERIFY(progress != nullptr);
        QStringList seen;
        connect(&replay(), &ReplayController::progressChanged, this,
                [&seen](const QString& text) { seen << text; });
        openFile(scenes() + QStringLiteral("/demo.replay"));
        QVERIFY(replay().isReplaying());
        QCOMPARE(form().currentTab(), 0);
        const int frames = static_cast<int>(replay().lastRecording()->frames.size());
        QTRY_VERIFY(progress->text().startsWith(QStringLiteral("Replay: frame ")));
        QVERIFY(progress->text().endsWith(QStringLiteral(" of %1").arg(frames)));

        const QStringList rows = replayResult();
        QCOMPARE(rows.size(), static_cast<int>(replay().lastRecording()->endPoses.size()));
        for (const QString& row : rows) {
            QVERIFY2(row.endsWith(QStringLiteral("0 (exactly as recorded)")), qPrintable(row));
        }
        QVERIFY(replay().lastComparison()->identical());
        QCOMPARE(replay().lastComparison()->frames, frames);
        QVERIFY(seen.contains(QStringLiteral("Replay: frame %1 of %1").arg(frames)));
        QVERIFY(progress->text().isEmpty());
        QCOMPARE(child(4, QStringLiteral("course1")) != nullptr, true);
    }

    void aReplayAfterAPointEditReportsHowFarEachObjectEnded() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        recordDrive(150, work_ + QStringLiteral("/short.replay"));
        const LSession_t before = session();

        // The course's first point raised and inclined: the road the drive runs on
        // changes under the driven object.
        selectTab(2);
        const LPoint_t dot = before.dottedPoints.front();
        adjustWithDialog(QPoint(static_cast<int>(dot.x), static_cast<int>(dot.y)), 6, 30, false);
        QVERIFY(session().calculatedPoints.front().y != before.calculatedPoints.front().y);

        window_->action(ReplayController::kReplayAction)->trigger();
        QVERIFY(replay().isReplaying());
        QCOMPARE(form().currentTab(), 0);
        const QStringList rows = replayResult();
        const DriveComparison& result = *replay().lastComparison();
        QCOMPARE(result.frames, 150);
        QCOMPARE(rows.size(), static_cast<int>(before.meshes.size()));
        QVERIFY(!result.identical());
        QVERIFY(result.firstDeparture >= 0);
        QVERIFY(result.farthestEnd() > 0);
        // Every object is named with how far it ended from its recorded end.
        for (std::size_t i = 0; i < result.ends.size(); ++i) {
            const MeshEnd& end = result.ends[i];
            QCOMPARE(end.index, static_cast<int>(i));
            QCOMPARE(end.recordedIndex, static_cast<int>(i));
            QCOMPARE(rows[static_cast<int>(i)].section(QStringLiteral(": "), 1),
                     ReplayResultDialog::distanceText(end));
        }
        QVERIFY2(window_->statusBar()->currentMessage().contains(
                     QString::number(result.farthestEnd(), 'f', 3)),
                 qPrintable(window_->statusBar()->currentMessage()));
    }

    void leavingPlayEndsARecordingWhereItIsAndSaysWhy() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        selectTab(0);
        window_->action(ReplayController::kRecordAction)->trigger();
        QVERIFY(replay().isRecording());
        QTRY_VERIFY_WITH_TIMEOUT(replay().recordedFrames() >= 5, 20000);
        chosen_.clear(); // the save dialog is cancelled
        selectTab(1);
        QTRY_VERIFY(!replay().isRecording());
        QTRY_VERIFY2(window_->statusBar()->currentMessage().contains(
                         QStringLiteral("The recording was not saved")),
                     qPrintable(window_->statusBar()->currentMessage()));
        // What was recorded up to then is kept, and replays.
        QVERIFY(replay().lastRecording().has_value());
        QVERIFY(replay().lastRecording()->frames.size() >= 5);
        window_->action(ReplayController::kReplayAction)->trigger();
        QVERIFY(replay().isReplaying());
        QCOMPARE(form().currentTab(), 0);
        // Asked to record while replaying, it says no.
        QVERIFY(!window_->action(ReplayController::kRecordAction)->isEnabled());
        window_->action(ReplayController::kReplayAction)->trigger();
        QVERIFY(!replay().isReplaying());
        QVERIFY(window_->action(ReplayController::kRecordAction)->isEnabled());
    }

    void aBadRecordingIsRefusedAndChangesNothing() {
        openFile(scenes() + QStringLiteral("/demo.xml"));
        const int courses = shownChildren(4);
        const QByteArray good = contents(scenes() + QStringLiteral("/demo.replay"));
        QVERIFY(!good.isEmpty());
        const QString path = work_ + QStringLiteral("/bad.replay");
        const auto tryFile = [&](const QByteArray& text, const char* reason) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text);
            file.close();
            messages_.clear();
            openFile(path);
            QVERIFY2(!replay().isReplaying(), reason);
            QCOMPARE(shownChildren(4), courses);
            QVERIFY(!messages_.empty());
            QVERIFY2(QString::fromStdString(messages_.back().text).contains(reason),
                     messages_.back().text.c_str());
            QVERIFY(window_->statusBar()->currentMessage().contains(
                QStringLiteral("Nothing was changed")));
        };
        tryFile(good.left(good.size() / 2), "cut short");
        QByteArray version = good;
        version.replace("tumbleway-replay 1\n", "tumbleway-replay 7\n");
        tryFile(version, "version 7");
        QByteArray scene = good;
        scene.replace("<Session>", "<Session<");
        tryFile(scene, "scene in it cannot be read");
        QByteArray frames = good;
        const int at = frames.indexOf("\nframes ") + 8;
        frames.insert(at, '1');
        tryFile(frames, "can hold");
    }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderReplayTest>(argc, argv);
}

#include "builder_replay_test.moc"
