// The mapper in a real (offscreen) window: keys arriving through the window, and the
// binding dialog driven as a user would.
#include "input/InputConfigDialog.h"
#include "input/InputMapper.h"

#include "RecordingSink.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using Calls = std::vector<SetterCall>;

constexpr int kRotateLeftRow = 3;
constexpr int kRotateUpDownRow = 1;
constexpr int kConfigureInputRow = 11;

class InputDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        frame.resize(320, 200);
        edit = new QLineEdit(&frame);
        frame.show();
        activateFrame();
    }

    void activateFrame() {
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        edit->setFocus();
    }

    // A fresh handle on the same settings file, as a restarted program would open it.
    std::unique_ptr<QSettings> settings() {
        return std::make_unique<QSettings>(dir.filePath(QStringLiteral("input.ini")),
                                           QSettings::IniFormat);
    }

    void press(Qt::Key key) { QTest::keyPress(frame.windowHandle(), key); }
    void release(Qt::Key key) { QTest::keyRelease(frame.windowHandle(), key); }

    Calls frameOn(InputMapper& mapper, int tab) {
        mapper.applyFrame(tab);
        return sink.take();
    }

    // Opens the dialog from the mapper and lets drive work in it while it runs.
    bool configure(InputMapper& mapper, const std::function<void(InputConfigDialog&)>& drive) {
        bool driven = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<InputConfigDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                ADD_FAILURE() << "no binding dialog";
                return;
            }
            drive(*dialog);
            driven = true;
        });
        const bool accepted = mapper.showConfigureDialog(&frame);
        EXPECT_TRUE(driven);
        activateFrame();
        return accepted;
    }

    static QTableWidget& table(InputConfigDialog& dialog) {
        return *dialog.findChild<QTableWidget*>(QStringLiteral("bindings"));
    }
    static void click(InputConfigDialog& dialog, const char* button) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(button)),
                          Qt::LeftButton);
    }
    static void finish(InputConfigDialog& dialog, QDialogButtonBox::StandardButton button) {
        dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttons"))->button(button)->click();
    }

    QTemporaryDir dir;
    QWidget frame;
    QLineEdit* edit = nullptr;
    RecordingSink sink;
};

} // namespace

TEST_F(InputDialogTest, KeysInTheWindowReachTheKeyboardAndTheWidgets) {
    InputMapper mapper(sink, settings());
    ASSERT_TRUE(mapper.setUp(&frame));
    frameOn(mapper, kTabPlay);

    press(Qt::Key_Left);
    EXPECT_EQ(frameOn(mapper, kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    release(Qt::Key_Left);
    EXPECT_TRUE(frameOn(mapper, kTabPlay).empty());

    // Other keys still reach the focused widget; steering keys steer and nothing else.
    QTest::keyClick(frame.windowHandle(), Qt::Key_H);
    QTest::keyClick(frame.windowHandle(), Qt::Key_K);
    EXPECT_EQ(edit->text(), QStringLiteral("hk"));
    QTest::keyClick(frame.windowHandle(), Qt::Key_Left);
    EXPECT_EQ(edit->cursorPosition(), 2);
}

TEST_F(InputDialogTest, FormDrivesItThroughTheFrameInputInterface) {
    InputMapper mapper(sink, settings());
    FrameInput& layer = mapper;
    layer.setInputWindow(&frame); // the first window sets the devices up
    ASSERT_GE(mapper.core().deviceCount(), 1u);
    InputRequests requests;
    layer.apply(kTabEdit, requests);

    press(Qt::Key_Right);
    layer.apply(kTabEdit, requests);
    EXPECT_EQ(sink.take(), (Calls{{"Angle", -0.001f}}));
    release(Qt::Key_Right);
    layer.apply(kTabEdit, requests);
    EXPECT_TRUE(sink.take().empty());

    QTest::keyClick(frame.windowHandle(), Qt::Key_F3);
    QTest::keyClick(frame.windowHandle(), Qt::Key_F2);
    layer.apply(kTabMakeField, requests);
    EXPECT_TRUE(requests.configureInput);
    EXPECT_TRUE(requests.configureDisplay);
    EXPECT_TRUE(sink.take().empty());

    // A later window (the full-screen switch) keeps the devices and their bindings.
    layer.setInputWindow(&frame);
    layer.apply(kTabPlay, requests);
    press(Qt::Key_Up);
    layer.apply(kTabPlay, requests);
    EXPECT_EQ(sink.take(), (Calls{{"MovePlay", 1.0f}}));
    release(Qt::Key_Up);
}

TEST_F(InputDialogTest, RebindingTakesEffectAndSurvivesARestart) {
    {
        InputMapper mapper(sink, settings());
        ASSERT_TRUE(mapper.setUp(&frame));
        const bool accepted = configure(mapper, [](InputConfigDialog& dialog) {
            QTableWidget& bindings = table(dialog);
            EXPECT_EQ(bindings.item(kRotateLeftRow, 0)->text(), QStringLiteral("Left Arrow"));
            bindings.setCurrentCell(kRotateLeftRow, 0);
            click(dialog, "assign");
            EXPECT_TRUE(dialog.isCapturing());
            QTest::keyClick(dialog.windowHandle(), Qt::Key_J);
            EXPECT_FALSE(dialog.isCapturing());
            EXPECT_EQ(bindings.item(kRotateLeftRow, 0)->text(), QStringLiteral("J"));
            finish(dialog, QDialogButtonBox::Ok);
        });
        EXPECT_TRUE(accepted);
        frameOn(mapper, kTabEdit);

        press(Qt::Key_J);
        EXPECT_EQ(frameOn(mapper, kTabEdit), (Calls{{"Angle", 0.001f}}));
        release(Qt::Key_J);
        press(Qt::Key_Left);
        EXPECT_TRUE(frameOn(mapper, kTabEdit).empty()) << "Left drives nothing any more";
        release(Qt::Key_Left);
    }
    InputMapper restarted(sink, settings());
    ASSERT_TRUE(restarted.setUp(&frame));
    frameOn(restarted, kTabEdit);
    press(Qt::Key_J);
    EXPECT_EQ(frameOn(restarted, kTabEdit), (Calls{{"Angle", 0.001f}}));
    release(Qt::Key_J);
}

TEST_F(InputDialogTest, ConfigurationKeysCannotBeTakenOrMoved) {
    InputMapper mapper(sink, settings());
    ASSERT_TRUE(mapper.setUp(&frame));
    configure(mapper, [](InputConfigDialog& dialog) {
        QTableWidget& bindings = table(dialog);
        EXPECT_FALSE(bindings.item(kConfigureInputRow, 0)->flags() & Qt::ItemIsSelectable);
        bindings.setCurrentCell(kRotateLeftRow, 0);
        click(dialog, "assign");
        QTest::keyClick(dialog.windowHandle(), Qt::Key_F3);
        EXPECT_EQ(bindings.item(kRotateLeftRow, 0)->text(), QStringLiteral("Left Arrow"));
        EXPECT_TRUE(dialog.findChild<QLabel*>(QStringLiteral("status"))
                        ->text()
                        .contains(QStringLiteral("Configure Input")));
        finish(dialog, QDialogButtonBox::Ok);
    });
    frameOn(mapper, kTabPlay);
    QTest::keyClick(frame.windowHandle(), Qt::Key_F3);
    frameOn(mapper, kTabPlay);
    EXPECT_TRUE(mapper.takeConfigureInputRequest(true));
}

TEST_F(InputDialogTest, CancelledDialogChangesNothing) {
    InputMapper mapper(sink, settings());
    ASSERT_TRUE(mapper.setUp(&frame));
    const bool accepted = configure(mapper, [](InputConfigDialog& dialog) {
        table(dialog).setCurrentCell(kRotateLeftRow, 0);
        click(dialog, "clear");
        EXPECT_TRUE(table(dialog).item(kRotateLeftRow, 0)->text().isEmpty());
        finish(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(accepted);
    frameOn(mapper, kTabPlay);
    press(Qt::Key_Left);
    EXPECT_EQ(frameOn(mapper, kTabPlay), (Calls{{"AnglePlay", 1.0f}}));
    release(Qt::Key_Left);
}

TEST_F(InputDialogTest, AxisIsBoundByMovingIt) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_FLIGHT_STICK, 3, 2, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    {
        InputMapper mapper(sink, settings());
        ASSERT_TRUE(mapper.setUp(&frame));
        ASSERT_EQ(mapper.core().deviceCount(), 2u);
        configure(mapper, [&](InputConfigDialog& dialog) {
            QTableWidget& bindings = table(dialog);
            EXPECT_EQ(bindings.item(kRotateUpDownRow, 1)->text(), QStringLiteral("Axis 2"));
            bindings.setCurrentCell(kRotateUpDownRow, 1);
            click(dialog, "assign");
            SDL_JoystickSetVirtualAxis(pad, 2, -30000);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isCapturing(); }, 2000));
            EXPECT_EQ(bindings.item(kRotateUpDownRow, 1)->text(), QStringLiteral("Axis 3"));
            finish(dialog, QDialogButtonBox::Ok);
        });
        frameOn(mapper, kTabPlay);
        EXPECT_EQ(frameOn(mapper, kTabPlay), (Calls{{"MovePlay", 0.91f}}))
            << "the third axis, still pushed, now moves";
        SDL_JoystickSetVirtualAxis(pad, 2, 0);
        SDL_JoystickSetVirtualAxis(pad, 1, -32768);
        EXPECT_TRUE(frameOn(mapper, kTabPlay).empty()) << "the second axis no longer moves";
    }
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(index);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

// The application lives on main's stack, so that it goes before Qt's own clean-up does.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
