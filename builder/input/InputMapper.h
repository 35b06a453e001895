// The builder's keyboard and controller input, in Qt terms. It is the render loop's
// input layer (host/FrameInput.h): the form hands it the input window at one-time scene
// initialisation and on every full-screen switch, and calls apply() at the start of
// every frame move, before xll_FrameMove. The first input window it is given sets the
// devices up; destroying it (or release()) lets them go.
//
// Hosts that do not go through FrameInput call the same steps by name:
//
//   setUp(frame)                    one-time scene initialisation, before xll_OneTimeSceneInit
//   setInputWindow(window)          on every switch between windowed and full screen
//   applyFrame(tab)                 at the start of every frame move
//   takeConfigureInputRequest(windowed) -> showConfigureDialog(frame), paused around it
//   takeConfigureDisplayRequest()   -> the display settings dialog, paused around it
//   requestConfigureInput()         menu command 40011
//   requestConfigureDisplay()       commands 40002 and 2004
//   release()                       final clean-up
//
// Keys reach the keyboard device through an application event filter that watches the
// input window, whichever of its widgets has the focus. Keys bound to steering (and F2,
// F3) are kept from the widgets, so that they steer the scene instead of moving the
// focus between controls; every other key reaches the widgets as before.
#pragma once

#include "host/FrameInput.h"
#include "input/ActionInput.h"
#include "input/InputSink.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class QSettings;
class DIUserMappingStore;

class InputMapper final : public QObject, public FrameInput {
    Q_OBJECT
public:
    // Sends to the engine's exports and keeps bindings in the program's QSettings.
    explicit InputMapper(QObject* parent = nullptr);
    // Sends to sink (which outlives the mapper) and keeps bindings in the program's
    // QSettings.
    explicit InputMapper(InputSink& sink, QObject* parent = nullptr);
    // Sends to sink (which outlives the mapper) and keeps bindings in settings.
    InputMapper(InputSink& sink, std::unique_ptr<QSettings> settings, QObject* parent = nullptr);
    ~InputMapper() override;

    // FrameInput.
    void apply(int tab, InputRequests& requests) override;
    void configure(QWidget* owner) override;
    // Sets the devices up on the first call, binds them to the new window on later ones.
    void setInputWindow(QWidget* window) override;

    // Finds the devices and binds them to the actions, cooperating with frame. False
    // when no input is possible at all (the program runs on without it).
    bool setUp(QWidget* frame);
    QWidget* inputWindow() const { return m_window; }

    // Reads up to 11 events per device (10 on "ViewParts") and calls the tab's setters.
    void applyFrame(int tab);

    void requestConfigureInput() { m_input.requestConfigureInput(); }
    void requestConfigureDisplay() { m_input.requestConfigureDisplay(); }
    // The form's user input record, pending requests included.
    const InputRecord& requests() const { return m_input.record(); }
    bool takeConfigureInputRequest(bool windowed) {
        return m_input.takeConfigureInputRequest(windowed);
    }
    bool takeConfigureDisplayRequest() { return m_input.takeConfigureDisplayRequest(); }

    // Runs the binding dialog, modal over parent, and binds the devices again. True when
    // the user accepted changes.
    bool showConfigureDialog(QWidget* parent);

    void release();

    ActionInput& core() { return m_input; }

    // What HWND stands for in this program: the top-level widget itself.
    static HWND windowHandleOf(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void install();
    void updateFocus();

    std::unique_ptr<InputSink> m_ownSink;
    ActionInput m_input;
    std::shared_ptr<DIUserMappingStore> m_store;
    std::shared_ptr<DIUserMappingStore> m_previousStore;
    QPointer<QWidget> m_window;
    bool m_installed = false;
};
