// Where the per-frame input values go: the engine's six input setters. The builder uses
// the exports; tests record the calls.
#pragma once

class InputSink {
public:
    virtual ~InputSink() = default;
    virtual void updateInputAngle(float value) = 0;
    virtual void updateInputMove(float value) = 0;
    virtual void updateInputAnglePlay(float value) = 0;
    virtual void updateInputMovePlay(float value) = 0;
    virtual void updateInputRL(float value) = 0;
    virtual void updateInputUD(float value) = 0;
};

// Forwards to xll_UpdateInputAngle and its siblings in libTumbleway096.
class ExportsInputSink final : public InputSink {
public:
    void updateInputAngle(float value) override;
    void updateInputMove(float value) override;
    void updateInputAnglePlay(float value) override;
    void updateInputMovePlay(float value) override;
    void updateInputRL(float value) override;
    void updateInputUD(float value) override;
};
