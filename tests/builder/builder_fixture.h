// The builder window under a virtual X server, as its GUI tests drive it: a scratch
// folder with the data pictures and samples, a window whose file dialogs answer with
// a chosen path and whose messages are collected, and helpers that act as a user does
// (clicks at view pixels, tabs, tree items, the file menu).
#pragma once

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSurfaceFormat>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "d3d9/gl_device.h"
#include "host/RenderHost.h"
#include "host/RenderView.h"
#include "shell/AppForm.h"
#include "shell/FileCommands.h"
#include "shell/MainWindow.h"
#include "shell/QuietStart.h"
#include "tumbleway/NameField.h"
#include "tumbleway/tumbleway_ext.h"

namespace builder_test {

struct Message {
    std::string text;
    std::string caption;
    UINT type;
};

inline bool copyTree(const QString& from, const QString& to) {
    QDir source(from);
    if (!QDir().mkpath(to)) {
        return false;
    }
    for (const QFileInfo& info :
         source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString target = to + QLatin1Char('/') + info.fileName();
        if (info.isDir() ? !copyTree(info.filePath(), target)
                         : !QFile::copy(info.filePath(), target)) {
            return false;
        }
    }
    return true;
}

// Runs f once the next popup menu is open (menus run their own event loop).
inline void whenPopupOpens(std::function<void(QMenu*)> f) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [f, poll](int attempts) {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            f(menu);
        } else if (attempts > 0) {
            QTimer::singleShot(20, [poll, attempts] { (*poll)(attempts - 1); });
        }
    };
    QTimer::singleShot(20, [poll] { (*poll)(100); });
}

// Runs f once a modal dialog is open (it runs its own event loop).
inline void whenModalOpens(std::function<void(QWidget*)> f) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [f, poll](int attempts) {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            f(dialog);
        } else if (attempts > 0) {
            QTimer::singleShot(20, [poll, attempts] { (*poll)(attempts - 1); });
        }
    };
    QTimer::singleShot(20, [poll] { (*poll)(250); });
}

} // namespace builder_test

// The parts of two scenes a format keeps, compared element for element.
inline void compareScenes(const LSession_t& a, const LSession_t& b, bool withBitmaps) {
    QCOMPARE(a.meshes.size(), b.meshes.size());
    auto m = b.meshes.begin();
    for (const SessionXfile& mesh : a.meshes) {
        QCOMPARE(nameFieldText(mesh.name), nameFieldText(m->name));
        // The XML file keeps six decimals.
        QVERIFY(std::fabs(mesh.x - m->x) < 1e-4f && std::fabs(mesh.z - m->z) < 1e-4f);
        QVERIFY(std::fabs(mesh.yaw - m->yaw) < 1e-5f);
        QVERIFY(std::fabs(mesh.radius - m->radius) < 1e-4f);
        ++m;
    }
    if (withBitmaps) {
        QCOMPARE(a.bitmaps.size(), b.bitmaps.size());
        auto bitmap = b.bitmaps.begin();
        for (const SessionBitmap& placed : a.bitmaps) {
            QCOMPARE(nameFieldText(placed.name), nameFieldText(bitmap->name));
            QVERIFY(std::fabs(placed.x - bitmap->x) < 1e-4f);
            ++bitmap;
        }
    }
    QCOMPARE(a.relations.size(), b.relations.size());
    auto r = b.relations.begin();
    for (const SessionRelation& relation : a.relations) {
        QCOMPARE(nameFieldText(relation.xfile1), nameFieldText(r->xfile1));
        QCOMPARE(nameFieldText(relation.xfile2), nameFieldText(r->xfile2));
        QCOMPARE(nameFieldText(relation.wavfile), nameFieldText(r->wavfile));
        ++r;
    }
    QCOMPARE(a.calculatedPoints.size(), b.calculatedPoints.size());
    auto c = b.calculatedPoints.begin();
    for (const LPoint_t& point : a.calculatedPoints) {
        QVERIFY(std::fabs(point.x - c->x) < 1e-4f && std::fabs(point.y - c->y) < 1e-4f);
        QVERIFY(std::fabs(point.pitch - c->pitch) < 1e-4f);
        ++c;
    }
    QCOMPARE(a.dottedPoints.size(), b.dottedPoints.size());
}

using builder_test::copyTree;
using builder_test::Message;
using builder_test::whenModalOpens;
using builder_test::whenPopupOpens;

class BuilderFixture : public QObject {
protected:
    QTemporaryDir temp_;
    QString work_;
    std::unique_ptr<MainWindow> window_;
    std::vector<Message> messages_;
    QString chosen_;
    FileDialogRequest lastRequest_;

    AppForm& form() { return window_->form(); }
    RenderHost& host() { return form().host(); }

    void waitFrames(int count) {
        const long long target = host().frameCount() + count;
        QTRY_VERIFY_WITH_TIMEOUT(host().frameCount() >= target, 20000);
    }

    // Clicks a point of the 3-D view (view coordinates).
    void clickView(QPoint point, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(host().view(), button, Qt::NoModifier, point);
        QApplication::processEvents();
    }

    void openFile(const QString& path) {
        chosen_ = path;
        window_->action(40021)->trigger();
        QApplication::processEvents();
    }

    void saveAs(const QString& path) {
        chosen_ = path;
        window_->action(40026)->trigger();
    }

    void selectTab(int index) {
        form().tabs()->setCurrentIndex(index);
        QApplication::processEvents();
    }

    QTreeWidgetItem* root(int kind) { return form().tree()->topLevelItem(kind - 1); }

    // An item under a root as the user sees it (undone items are hidden, not gone).
    QTreeWidgetItem* child(int kind, const QString& text) {
        QTreeWidgetItem* parent = root(kind);
        for (int i = 0; i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == text && !parent->child(i)->isHidden()) {
                return parent->child(i);
            }
        }
        return nullptr;
    }

    int shownChildren(int kind) {
        int shown = 0;
        for (int i = 0; i < root(kind)->childCount(); ++i) {
            shown += root(kind)->child(i)->isHidden() ? 0 : 1;
        }
        return shown;
    }

    void select(QTreeWidgetItem* item) {
        QVERIFY(item != nullptr);
        form().tree()->setCurrentItem(item);
        QApplication::processEvents();
    }

    // The engine's current course as the XML save sees it.
    LSession_t session() {
        LSession_t s;
        RenderHost::EngineScope scope(host());
        xll_app_get_Session_Iterator(&s);
        LSession_t copy = s;
        xll_app_delete_Session_Iterator(&s);
        return copy;
    }

    // Lays a bow tie (down the left, across to the top right, down the right and back),
    // a course that crosses itself once in the middle of the view, and creates it.
    void layBowTie() {
        selectTab(2);
        for (const QPoint p :
             {QPoint(120, 100), QPoint(120, 380), QPoint(520, 100), QPoint(520, 380)}) {
            clickView(p);
        }
        form().button(AppForm::kCreateButton)->click();
        QApplication::processEvents();
    }

    // Lays eight points on a circle in the "MakeField" tab and presses "create".
    void layCourse() {
        selectTab(2);
        for (int i = 0; i < 8; ++i) {
            const double a = i * 3.14159265 / 4;
            clickView(QPoint(320 + static_cast<int>(180 * std::cos(a)),
                             240 + static_cast<int>(150 * std::sin(a))));
        }
        form().button(AppForm::kCreateButton)->click();
        QApplication::processEvents();
    }

    void placeMesh(const QString& name) {
        openFile(work_ + QStringLiteral("/samples/meshes/") + name);
        select(child(1, name));
        selectTab(1);
        form().button(AppForm::kAssignButton)->click();
        QApplication::processEvents();
    }

    // Opens the popup of a right-click and takes its first entry, then sets the dialog.
    void adjustWithDialog(QPoint at, int first, int second, bool xfile) {
        whenPopupOpens([](QMenu* menu) {
            menu->setActiveAction(menu->actions().front());
            QTest::keyClick(menu, Qt::Key_Return);
        });
        clickView(at, Qt::RightButton);
        SliderDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = xfile ? form().xfileDialog() : form().pointDialog()) != nullptr &&
                    dialog->isVisible());
        dialog->firstSlider()->setValue(first);
        dialog->secondSlider()->setValue(second);
        dialog->findChild<QPushButton*>()->click();
        QApplication::processEvents();
    }

    // Holds a key down for a number of frames, as a driver does.
    void holdKey(Qt::Key key, int frames) {
        host().view()->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(host().view()->window()));
        QWindow* window = host().view()->window()->windowHandle();
        QTest::keyPress(window, key);
        waitFrames(frames);
        QTest::keyRelease(window, key);
        waitFrames(2);
    }

    void drag(QPoint from, QPoint to) {
        QTest::mousePress(host().view(), Qt::LeftButton, Qt::NoModifier, from);
        for (int step = 1; step <= 4; ++step) {
            QTest::mouseMove(host().view(), from + (to - from) * step / 4);
            waitFrames(2);
        }
        QTest::mouseRelease(host().view(), Qt::LeftButton, Qt::NoModifier, to);
        QApplication::processEvents();
    }

    void check(AppForm::ControlId id) {
        QCheckBox* box = form().checkBox(id);
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(6, box->height() / 2));
    }

    // Chooses and checks two meshes and a sound, as a user does for a collision sound.
    void pickCollision(const QString& first, const QString& second, const QString& sound) {
        select(child(1, first));
        check(AppForm::kXfile1Check);
        select(child(1, second));
        check(AppForm::kXfile2Check);
        select(child(3, sound));
        check(AppForm::kSoundCheck);
    }

    // Where the engine draws a world point in the view, from the device's own matrices.
    QPointF projected(const D3DXVECTOR3& point) {
        D3DXMATRIX view;
        D3DXMATRIX projection;
        host().device()->GetTransform(D3DTS_VIEW, &view);
        host().device()->GetTransform(D3DTS_PROJECTION, &projection);
        const D3DXMATRIX both = view * projection;
        D3DXVECTOR3 screen;
        D3DXVec3TransformCoord(&screen, &point, &both);
        const QSize size = host().view()->size();
        return {(screen.x + 1) * 0.5 * size.width(), (1 - screen.y) * 0.5 * size.height()};
    }

    // Where the view shows point `local` of placed mesh `index` (its origin by default).
    QPointF drawnMesh(int index, const D3DXVECTOR3& local = D3DXVECTOR3(0, 0, 0)) {
        TwxMeshPose pose{};
        {
            RenderHost::EngineScope scope(host());
            if (twx_get_mesh_pose(index, &pose) != TWX_OK) {
                return {-1, -1};
            }
        }
        D3DXMATRIX world;
        std::memcpy(&world, pose.world, sizeof pose.world);
        D3DXVECTOR3 point;
        D3DXVec3TransformCoord(&point, &local, &world);
        return projected(point);
    }

    void prepareWorkFolder() {
        // The texts as an English user reads them, plural forms and all.
        QCOMPARE(installTranslation(*qApp, QStringLiteral("en")).size(), 1);
        QVERIFY(temp_.isValid());
        work_ = temp_.path();
        QVERIFY(copyTree(QStringLiteral(TW_SOURCE_DIR "/data"), work_ + QStringLiteral("/data")));
        QVERIFY(
            copyTree(QStringLiteral(TW_SOURCE_DIR "/samples"), work_ + QStringLiteral("/samples")));
    }

    // Each test starts with the window at its first size, unless it asks for the size
    // an earlier window was left at.
    enum class KeepWindowSize { No, Yes };
    void startBuilder(KeepWindowSize keep = KeepWindowSize::No) {
        if (keep == KeepWindowSize::No) {
            QSettings().remove(MainWindow::kGeometryKey);
        }
        QDir::setCurrent(work_);
        window_ = std::make_unique<MainWindow>();
        SetMessageBoxHandler(
            [this](const std::string& text, const std::string& caption, UINT type) {
                messages_.push_back({text, caption, type});
                return IDOK;
            });
        // Unsaved changes are let go of unless a test answers otherwise.
        window_->setUnsavedAnswer([](const QString&) { return QMessageBox::Discard; });
        // Other questions are answered No, and a scene's missing files are not looked
        // for, unless a test answers otherwise: no box waits for a user.
        form().setConfirmation([](const QString&) { return false; });
        form().setMissingFilesAnswer([](const QStringList&) { return QString(); });
        window_->files().setChooser([this](const FileDialogRequest& request) {
            lastRequest_ = request;
            return chosen_;
        });
        QCOMPARE(window_->start(), RenderHost::CreateResult::Ok);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QTRY_VERIFY_WITH_TIMEOUT(host().isStarted() && !form().isBusy(), 20000);
        waitFrames(3);
        messages_.clear();
    }

    void stopBuilder() {
        window_.reset();
        QDir::setCurrent(work_);
    }
};

// The test program's main: settings in a folder of its own, never the user's.
template <typename Test>
int runBuilderTest(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(RenderView::surfaceFormat());
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Recovery copies and the log too.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
    qputenv("XDG_STATE_HOME", data.path().toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tumbleway"));
    QApplication::setApplicationName(QStringLiteral("TumblewayBuilderTest"));
    Test test;
    return QTest::qExec(&test, argc, argv);
}
