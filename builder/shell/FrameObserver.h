#pragma once

// Watches the engine's frames from the form: called in every frame move, inside the
// frame's engine scope, right before the engine moves the frame on (after the input
// layer has made its calls) and right after.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void beforeFrameMove() = 0;
    virtual void afterFrameMove() = 0;
};
