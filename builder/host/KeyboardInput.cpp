#include "host/KeyboardInput.h"

#include <QApplication>
#include <QKeyEvent>

#include "tumbleway/tumbleway.h"

KeyboardInput::KeyboardInput(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

KeyboardInput::~KeyboardInput() {
    qApp->removeEventFilter(this);
}

void KeyboardInput::setInputWindow(QWidget* window) {
    releaseAll();
    window_ = window;
}

void KeyboardInput::releaseAll() {
    left_ = right_ = up_ = down_ = false;
}

float KeyboardInput::turn() const {
    return left_ ? 1.0f : right_ ? -1.0f : 0.0f;
}

float KeyboardInput::move() const {
    return up_ ? 1.0f : down_ ? -1.0f : 0.0f;
}

bool KeyboardInput::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::ApplicationDeactivate) {
        // Keys released while another program has the focus never reach us.
        releaseAll();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (window_ == nullptr || widget == nullptr || widget->window() != window_) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool pressed = type == QEvent::KeyPress;
    const bool arrow = key->key() == Qt::Key_Left || key->key() == Qt::Key_Right ||
                       key->key() == Qt::Key_Up || key->key() == Qt::Key_Down;
    if (arrow && key->isAutoRepeat()) {
        return true; // a held key stays held between its repeats
    }
    switch (key->key()) {
    case Qt::Key_Left:
        left_ = pressed;
        return true;
    case Qt::Key_Right:
        right_ = pressed;
        return true;
    case Qt::Key_Up:
        up_ = pressed;
        return true;
    case Qt::Key_Down:
        down_ = pressed;
        return true;
    case Qt::Key_F2:
        displayPressed_ = displayPressed_ || (pressed && !key->isAutoRepeat());
        return true;
    case Qt::Key_F3:
        inputPressed_ = inputPressed_ || (pressed && !key->isAutoRepeat());
        return true;
    default:
        return false;
    }
}

void KeyboardInput::apply(int tab, InputRequests& requests) {
    if (displayPressed_) {
        requests.configureDisplay = true;
    }
    if (inputPressed_) {
        requests.configureInput = true;
    }
    displayPressed_ = inputPressed_ = false;

    const float turnValue = turn();
    const float moveValue = move();
    switch (tab) {
    case 0: // Play
        if (turnValue != 0) {
            xll_UpdateInputAnglePlay(turnValue);
        }
        if (moveValue != 0) {
            xll_UpdateInputMovePlay(moveValue);
        }
        break;
    case 1: // Edit
        if (turnValue != 0) {
            xll_UpdateInputAngle(turnValue * 0.001f);
        }
        if (moveValue != 0) {
            xll_UpdateInputMove(moveValue * 0.1f);
        }
        break;
    case 3: // ViewParts
        if (turnValue != 0) {
            xll_UpdateInputRL(turnValue);
        }
        if (moveValue != 0) {
            xll_UpdateInputUD(moveValue);
        }
        break;
    default: // MakeField: the mouse lays points, the keys drive nothing
        break;
    }
}

void KeyboardInput::configure(QWidget* /*owner*/) {
    // The keyboard layout is fixed; there is nothing to configure.
}
