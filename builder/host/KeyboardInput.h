#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "host/FrameInput.h"

// Keyboard-only input: the arrow keys held down in the input window turn (Left,
// Right) and move (Up, Down); F2 and F3 raise the display and input requests. Arrow
// keys are taken from every widget of the window, so they steer the scene instead of
// moving the focus between controls.
class KeyboardInput : public QObject, public FrameInput {
    Q_OBJECT
public:
    explicit KeyboardInput(QObject* parent = nullptr);
    ~KeyboardInput() override;

    void apply(int tab, InputRequests& requests) override;
    void configure(QWidget* owner) override;
    void setInputWindow(QWidget* window) override;

    // The turn and move values of the keys held now: 1, -1 or 0.
    float turn() const;
    float move() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void releaseAll();

    QPointer<QWidget> window_;
    bool left_ = false;
    bool right_ = false;
    bool up_ = false;
    bool down_ = false;
    bool displayPressed_ = false;
    bool inputPressed_ = false;
};
