// Stands between the input layer and the engine while a drive is recorded or replayed.
#pragma once

#include <vector>

#include "files/ReplayFile.h"
#include "input/InputSink.h"

// Passes every setter call on to the engine's sink; while a drive is recorded it also
// keeps the calls, in the order they reached the engine, and while one is replayed it
// holds them back, so that the user's own steering cannot reach the engine.
class DriveInputSink final : public InputSink {
public:
    enum class Mode { Pass, Record, Hold };

    // engine outlives the sink.
    explicit DriveInputSink(InputSink& engine) : engine_(engine) {}

    // Changing the mode forgets the calls kept so far.
    void setMode(Mode mode);
    Mode mode() const { return mode_; }
    // The calls kept since the last take (only while recording).
    std::vector<ReplayInput> takeRecorded();

    void updateInputAngle(float value) override;
    void updateInputMove(float value) override;
    void updateInputAnglePlay(float value) override;
    void updateInputMovePlay(float value) override;
    void updateInputRL(float value) override;
    void updateInputUD(float value) override;

private:
    void pass(InputCall call, float value, void (InputSink::*setter)(float));

    InputSink& engine_;
    Mode mode_ = Mode::Pass;
    std::vector<ReplayInput> recorded_;
};
