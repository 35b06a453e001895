#pragma once

class QWidget;

// Requests raised by input actions (and by the "&File" menu) that the host serves at
// the next frame move.
struct InputRequests {
    bool configureDisplay = false;
    bool configureInput = false;
};

// The input layer as the render loop sees it. Once per frame, before the engine's
// frame move, the host calls apply() with the form's current tab (0 "Play", 1 "Edit",
// 2 "MakeField", 3 "ViewParts"); the layer reads its devices and calls the engine's
// input exports of that tab. This is the one place where input reaches the engine, so
// a richer mapping (joysticks, configurable keys) replaces the implementation and
// nothing else.
class FrameInput {
public:
    virtual ~FrameInput() = default;

    // Reads the devices and drives the engine for the tab; may raise requests.
    virtual void apply(int tab, InputRequests& requests) = 0;
    // Serves a configure-input request: the layer's configuration dialog, owned by
    // the frame window. The host has paused the frame loop around the call.
    virtual void configure(QWidget* owner) = 0;
    // The window that receives input changed (the frame, or the full-screen window).
    virtual void setInputWindow(QWidget* window) = 0;
};
