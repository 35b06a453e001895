// Right clicks in the real window, maximised, on the sample scene: what the view shows of
// a mesh is what the click picks, up to its outermost pixels.
#include <QScreen>

#include "builder_fixture.h"

class BuilderPickTest : public BuilderFixture {
    Q_OBJECT

    // Whether a right click at view point p opens the placed mesh's menu (which is then
    // closed again).
    bool rightClickOpensMeshMenu(QPoint p) {
        bool opened = false;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                opened = menu->objectName() == QStringLiteral("IDR_MENU_EDIT_XFLIE");
                menu->close();
            }
        });
        poll.start();
        clickView(p, Qt::RightButton);
        poll.stop();
        return opened;
    }

    int controlledMesh() {
        RenderHost::EngineScope scope(host());
        return twx_controlled_mesh();
    }

    void setLift(int mesh, float lift) {
        RenderHost::EngineScope scope(host());
        QCOMPARE(twx_set_mesh_lift(mesh, lift), TWX_OK);
    }

private slots:
    void initTestCase() { prepareWorkFolder(); }
    void init() { startBuilder(); }
    void cleanup() { stopBuilder(); }

    void aRightClickOnTheCarsTopEdgeOpensItsMenu() {
        window_->setGeometry(window_->screen()->availableGeometry());
        QTRY_VERIFY(host().view()->height() > 800);
        openFile(work_ + QStringLiteral("/samples/scenes/demo.xml"));
        selectTab(1);
        waitFrames(5);
        // The car the camera follows; where it shows: what changes when it is lifted out
        // of the view.
        const int car = controlledMesh();
        QVERIFY(car >= 0);
        float lift = 0;
        {
            RenderHost::EngineScope scope(host());
            QCOMPARE(twx_get_mesh_lift(car, &lift), TWX_OK);
        }
        const QImage shown = host().view()->grabFramebuffer();
        setLift(car, lift + 1000);
        waitFrames(3);
        const QImage without = host().view()->grabFramebuffer();
        setLift(car, lift);
        waitFrames(3);
        QCOMPARE(host().view()->grabFramebuffer(), shown);
        QCOMPARE(without.size(), shown.size());
        int top = -1;
        QList<int> topRow;
        for (int y = 0; y < shown.height() && top < 0; ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                if (shown.pixel(x, y) != without.pixel(x, y)) {
                    top = y;
                    topRow << x;
                }
            }
        }
        QVERIFY2(topRow.size() >= 5, qPrintable(QString::number(topRow.size())));
        // The view's pixels are the form's: the screen does not scale it here.
        QCOMPARE(host().view()->devicePixelRatioF(), 1.0);
        for (const int x : topRow) {
            QVERIFY2(rightClickOpensMeshMenu(QPoint(x, top)),
                     qPrintable(QStringLiteral("the car's top edge at %1, %2").arg(x).arg(top)));
            QCOMPARE(controlledMesh(), car);
        }
    }
};

int main(int argc, char** argv) {
    return runBuilderTest<BuilderPickTest>(argc, argv);
}

#include "builder_pick_test.moc"
