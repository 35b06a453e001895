// What the builder tells the user, and small things a user met: every status message kept
// whole in a log, a builder without a display that says why it stops, a damaged scene
// opened "in part", the open dialog that remembers its kind of file, a course that stays
// closed in the tree when chosen, and an undo that leaves the camera alone.
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>

#include <cstring>

#include "builder_fixture.h"
#include "files/SessionFileIO.h"
#include "shell/CourseCheckDialog.h"
#include "shell/MessageLogDialog.h"

class BuilderMessagesTest : public BuilderFixture {
    Q_OBJECT

    QString statusText() { return window_->statusBar()->currentMessage(); }

    D3DXMATRIX viewMatrix() {
        D3DXMATRIX view;
        host().device()->GetTransform(D3DTS_VIEW, &view);
        return view;
    }

    static float difference(const D3DXMATRIX& a, const D3DXMATRIX& b) {
        float most = 0;
        for (int i = 0; i < 16; ++i) {
            most = std::max(most, std::fabs(a.m[i / 4][i % 4] - b.m[i / 4][i % 4]));
        }
        return most;
    }

    // The builder started as a user starts it, with the environment changed; its exit
    // and what it said on the terminal.
    struct Run {
        QProcess::ExitStatus exit;
        int status;
        QString said;
    };
    Run runBuilder(const QStringList& remove, const QStringList& set) {
        QProcess builder;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : remove) {
            environment.remove(name);
        }
        for (const QString& pair : set) {
            environment.insert(pair.section(QLatin1Char('='), 0, 0),
                               pair.section(QLatin1Char('='), 1));
        }
        builder.setProcessEnvironment(environment);
        builder.setWorkingDirectory(work_);
        builder.start(QStringLiteral(TW_BUILDER_PATH),
                      {QStringLiteral("--quit-after"), QStringLiteral("1")});
        builder.waitForFinished(60000);
        return {builder.exitStatus(), builder.exitCode(),
                QString::fromUtf8(builder.readAllStandardError())};
    }

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    // The status line shows one line at a time; the log keeps each message whole, with
    // the time it came, and shows the ones that come while it is open.
    void everyStatusMessageIsKeptWholeInTheLog() {
        selectTab(2);
        form().button(AppForm::kCreateButton)->click(); // a long refusal
        const QString refusal = statusText();
        QVERIFY(refusal.size() > 60);
        QVERIFY(!window_->messageLog().entries().empty());
        QCOMPARE(window_->messageLog().entries().back().text, refusal);

        window_->findChild<QAction*>(QStringLiteral("messages"))->trigger();
        auto* log = window_->findChild<MessageLogDialog*>(QStringLiteral("messageLog"));
        QVERIFY(log != nullptr);
        QTRY_VERIFY(log->isVisible());
        const QRegularExpression timed(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d  ") +
                                           QRegularExpression::escape(refusal) + QLatin1Char('$'),
                                       QRegularExpression::MultilineOption);
        QVERIFY2(timed.match(log->text()->toPlainText()).hasMatch(),
                 qPrintable(log->text()->toPlainText()));

        layCourse();
        QVERIFY2(log->text()->toPlainText().contains(statusText()),
                 qPrintable(log->text()->toPlainText()));
    }

    // Without a display Qt ended the builder with an abort (status 134) and said why only
    // in the log file: nothing on the terminal.
    void withoutADisplayTheBuilderSaysWhyAndEnds() {
        const QStringList displays = {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                      QStringLiteral("QT_QPA_PLATFORM")};
        const struct {
            QStringList set;
            const char* saying;
        } cases[] = {
            {{}, "DISPLAY is not set"},
            {{QStringLiteral("DISPLAY=:4711")}, "the display :4711 does not answer"},
        };
        for (const auto& c : cases) {
            const Run run = runBuilder(displays, c.set);
            QCOMPARE(run.exit, QProcess::NormalExit);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.said.contains(QLatin1String(c.saying)), qPrintable(run.said));
        }
    }

    // A .sim cut short showed the damaged-file box and then "Opened corrupt.sim as
    // course1.", as if all of it had been read.
    void aDamagedSceneIsSaidToBeOpenedInPart() {
        LSession_t scene;
        SessionSound sound{};
        std::strcpy(sound.name, "hit.wav");
        scene.sounds.push_back(sound);
        const QString path = scenes() + QStringLiteral("/corrupt.sim"); // beside hit.wav
        QVERIFY(writeSessionFile(scene, path.toStdString()));
        QFile file(path);
        QVERIFY(file.resize(file.size() - 40));

        openFile(path);
        QCOMPARE(messages_.size(), std::size_t{1}); // the reader's word on the damage
        QVERIFY2(statusText().startsWith(QStringLiteral("Opened corrupt.sim in part as course1")),
                 qPrintable(statusText()));

        messages_.clear();
        openFile(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(messages_.empty());
        QCOMPARE(statusText(), QStringLiteral("Opened demo.xml as course2."));

        // Of a scene cut short before its first element nothing is read: not "in part".
        QFile demo(scenes() + QStringLiteral("/demo.xml"));
        QVERIFY(demo.open(QIODevice::ReadOnly));
        QFile cut(scenes() + QStringLiteral("/cut.xml"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(demo.read(200));
        cut.close();
        messages_.clear();
        openFile(cut.fileName());
        QCOMPARE(messages_.size(), std::size_t{1}); // "Cannot Read cut.xml. ##"
        QCOMPARE(statusText(),
                 QStringLiteral("Nothing of cut.xml could be read: course3 is an empty course."));
    }

    // The open dialog came back on meshes each time, whatever kind of file was opened
    // last.
    void theOpenDialogOffersTheKindOfFileChosenLast() {
        FileCommands commands(form(), window_.get());
        QStringList offered;
        const auto openChoosing = [&](int filter) {
            QTimer::singleShot(300, [&, filter] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                offered << dialog->selectedNameFilter();
                if (filter >= 0) {
                    dialog->selectNameFilter(dialog->nameFilters().at(filter));
                }
                dialog->reject();
            });
            commands.open();
        };
        const QStringList filters =
            FileCommands::dialogFilters(FileCommands::tr(FileCommands::kOpenFilter));
        openChoosing(3); // scenes
        openChoosing(4); // sessions
        openChoosing(-1);
        // The dialog names a filter by its label, without the patterns behind it.
        const auto isFilter = [&](const QString& shown, int index) {
            return !shown.isEmpty() && filters[index].startsWith(shown);
        };
        QCOMPARE(offered.size(), 3);
        QVERIFY2(isFilter(offered[0], 0), qPrintable(offered[0]));
        QVERIFY2(isFilter(offered[1], 3), qPrintable(offered[1]));
        QVERIFY2(isFilter(offered[2], 4), qPrintable(offered[2]));
    }

    // Choosing a course opened it in the tree, and the rows under the mouse moved.
    void aChosenCourseStaysClosedInTheTree() {
        layCourse();
        placeMesh(QStringLiteral("car.x"));
        QTreeWidgetItem* course = child(4, QStringLiteral("course1"));
        QVERIFY(course != nullptr && course->childCount() > 0);
        course->setExpanded(false);
        select(child(1, QStringLiteral("car.x")));
        select(course);
        QVERIFY(form().currentCourseEntry() != nullptr);
        QVERIFY(!course->isExpanded());
    }

    // Undoing a course's deletion put the camera back at the course's start.
    void undoingACourseDeletionLeavesTheCameraWhereItWas() {
        layCourse();
        select(child(4, QStringLiteral("course1")));
        selectTab(1);
        waitFrames(3);
        const D3DXMATRIX atStart = viewMatrix();
        holdKey(Qt::Key_Up, 30);
        const D3DXMATRIX walked = viewMatrix();
        QVERIFY2(difference(walked, atStart) > 0.1f, "the camera did not walk");

        form().setConfirmation([](const QString&) { return true; });
        window_->action(40028)->trigger();
        QCOMPARE(shownChildren(4), 0);
        window_->findChild<QAction*>(QStringLiteral("undo"))->trigger();
        waitFrames(3);
        QVERIFY(child(4, QStringLiteral("course1")) != nullptr);
        QVERIFY(form().currentCourseEntry() != nullptr);
        QVERIFY2(difference(viewMatrix(), walked) < 1e-3f, "the camera moved");
    }

    // The checker's findings are shown where they are in MakeField, not in the world's
    // coordinates: a bow tie crosses itself in the middle of the view.
    void theCourseCheckShowsItsFindingsWhereTheyAreInMakeField() {
        window_->findChild<QAction*>(QStringLiteral("courseCheck"))->trigger();
        QVERIFY(window_->findChild<CourseCheckDialog*>() == nullptr); // no course yet
        layBowTie();
        window_->findChild<QAction*>(QStringLiteral("courseCheck"))->trigger();
        auto* dialog = window_->findChild<CourseCheckDialog*>(QStringLiteral("courseCheck"));
        QVERIFY(dialog != nullptr);
        const QString crossing = CourseCheckDialog::nameOf(TWX_FINDING_CENTRELINE_CROSSING);
        QStringList places;
        for (int row = 0; row < dialog->list()->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = dialog->list()->topLevelItem(row);
            if (item->text(1) == crossing) {
                places << item->text(2);
            }
        }
        QCOMPARE(places.size(), 1);
        const QStringList xy = places.front().split(QStringLiteral(", "));
        QCOMPARE(xy.size(), 2);
        // A click lays its ground place along its own sight line, which a flat map from
        // the laid points follows to within a few tens of pixels; the world's places
        // read as pixels were thousands off.
        QVERIFY2(std::abs(xy[0].toInt() - 320) < 40 && std::abs(xy[1].toInt() - 240) < 40,
                 qPrintable(places.front()));
        // The picture rings it there.
        QCOMPARE(dialog->picture().size(), host().view()->size());
        const QColor ring = CourseCheckDialog::colourOf(TWX_FINDING_CENTRELINE_CROSSING);
        int ringed = 0;
        for (int dy = -14; dy <= 14; ++dy) {
            for (int dx = -14; dx <= 14; ++dx) {
                const QColor c =
                    dialog->picture().pixelColor(xy[0].toInt() + dx, xy[1].toInt() + dy);
                ringed += std::abs(c.red() - ring.red()) + std::abs(c.green() - ring.green()) +
                                      std::abs(c.blue() - ring.blue()) <
                                  40
                              ? 1
                              : 0;
            }
        }
        QVERIFY2(ringed > 20, qPrintable(QString::number(ringed)));

        // Beside a view as big as the screen, the dialog still fits on it, its Close
        // button in reach.
        const QSize screen = dialog->screen()->availableGeometry().size();
        CourseCheckDialog big(CourseCheckFindings{}, screen, window_.get());
        big.show();
        QVERIFY(QTest::qWaitForWindowExposed(&big));
        QVERIFY2(big.height() <= screen.height(), qPrintable(QString::number(big.height())));
    }

private:
    QString scenes() const { return work_ + QStringLiteral("/samples/scenes"); }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderMessagesTest>(argc, argv);
}

#include "builder_messages_test.moc"
