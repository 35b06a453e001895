#include "input/InputMapper.h"

#include "dinput/dinput_host.h"
#include "input/InputConfigDialog.h"
#include "input/QtScanCodes.h"
#include "input/SettingsMappingStore.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QWindow>

namespace {

std::unique_ptr<QSettings> programSettings() {
    if (!QCoreApplication::organizationName().isEmpty()) {
        return std::make_unique<QSettings>();
    }
    return std::make_unique<QSettings>(QStringLiteral("Tumbleway"),
                                       QStringLiteral("TumblewayBuilder"));
}

// The input layer's configuration window: our dialog, modal over the owner.
HRESULT runConfigureDialog(DIConfigureSession& session) {
    auto* owner = reinterpret_cast<QWidget*>(session.owner);
    InputConfigDialog dialog(session, owner);
    return dialog.exec() == QDialog::Accepted ? DI_OK : DI_NOEFFECT;
}

} // namespace

InputMapper::InputMapper(QObject* parent)
    : QObject(parent), m_ownSink(std::make_unique<ExportsInputSink>()), m_input(*m_ownSink),
      m_store(std::make_shared<SettingsMappingStore>(programSettings())) {}

InputMapper::InputMapper(InputSink& sink, QObject* parent)
    : InputMapper(sink, programSettings(), parent) {}

InputMapper::InputMapper(InputSink& sink, std::unique_ptr<QSettings> settings, QObject* parent)
    : QObject(parent), m_input(sink),
      m_store(std::make_shared<SettingsMappingStore>(std::move(settings))) {}

InputMapper::~InputMapper() {
    release();
}

HWND InputMapper::windowHandleOf(QWidget* widget) {
    return widget != nullptr ? reinterpret_cast<HWND>(widget->window()) : nullptr;
}

void InputMapper::install() {
    if (m_installed) {
        return;
    }
    m_installed = true;
    m_previousStore = DInputSetUserMappingStore(m_store);
    DInputSetConfigureDevicesHandler(&runConfigureDialog);
    qApp->installEventFilter(this);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &InputMapper::updateFocus);
}

bool InputMapper::setUp(QWidget* frame) {
    install();
    m_window = frame;
    const bool ready = m_input.setUp(windowHandleOf(frame));
    updateFocus();
    return ready;
}

void InputMapper::setInputWindow(QWidget* window) {
    if (!m_installed) {
        setUp(window);
        return;
    }
    m_window = window;
    m_input.setInputWindow(windowHandleOf(window));
    updateFocus();
}

void InputMapper::updateFocus() {
    QWindow* focus = QGuiApplication::focusWindow();
    const bool ours = m_window && focus != nullptr && m_window->window()->windowHandle() == focus;
    DInputSetFocusWindow(ours ? windowHandleOf(m_window) : nullptr);
}

void InputMapper::applyFrame(int tab) {
    m_input.updateFrame(tab);
}

void InputMapper::apply(int tab, InputRequests& requests) {
    applyFrame(tab);
    // The form keeps the requests from here on; it holds the input one back while the
    // view is in full screen.
    if (takeConfigureDisplayRequest()) {
        requests.configureDisplay = true;
    }
    if (takeConfigureInputRequest(true)) {
        requests.configureInput = true;
    }
}

void InputMapper::configure(QWidget* owner) {
    showConfigureDialog(owner);
}

bool InputMapper::showConfigureDialog(QWidget* parent) {
    const HRESULT result = m_input.configureInput(windowHandleOf(parent));
    // The dialog took the focus and gave it back; make sure the devices know.
    updateFocus();
    return result == DI_OK;
}

void InputMapper::release() {
    m_input.release();
    if (m_installed) {
        m_installed = false;
        qApp->removeEventFilter(this);
        disconnect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &InputMapper::updateFocus);
        DInputSetConfigureDevicesHandler({});
        DInputSetUserMappingStore(m_previousStore);
        m_previousStore.reset();
        DInputSetFocusWindow(nullptr);
    }
}

bool InputMapper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !m_window ||
        !watched->isWindowType() || watched != m_window->window()->windowHandle()) {
        return QObject::eventFilter(watched, event);
    }
    // Every key event of a window passes its QWindow exactly once, whichever widget has
    // the focus; that is where the keyboard hears it.
    const auto* key = static_cast<const QKeyEvent*>(event);
    const BYTE scanCode = scanCodeOfKeyEvent(*key);
    if (scanCode == 0) {
        return QObject::eventFilter(watched, event);
    }
    // X11 repeats a held key as release and press pairs; only the presses (which the
    // keyboard ignores for a key already down) may pass.
    if (!(key->isAutoRepeat() && type == QEvent::KeyRelease)) {
        DInputKeyEvent(scanCode, type == QEvent::KeyPress);
    }
    // The arrows steer in every tab, whatever they are bound to: were they to reach the
    // tree or a button, they would move the selection and drop the current course.
    const bool arrow =
        scanCode == DIK_UP || scanCode == DIK_DOWN || scanCode == DIK_LEFT || scanCode == DIK_RIGHT;
    return arrow || m_input.isSteeringKey(scanCode) || QObject::eventFilter(watched, event);
}
