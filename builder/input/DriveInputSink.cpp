#include "input/DriveInputSink.h"

#include <utility>

void DriveInputSink::setMode(Mode mode) {
    mode_ = mode;
    recorded_.clear();
}

std::vector<ReplayInput> DriveInputSink::takeRecorded() {
    return std::exchange(recorded_, {});
}

void DriveInputSink::pass(InputCall call, float value, void (InputSink::*setter)(float)) {
    if (mode_ == Mode::Hold) {
        return;
    }
    if (mode_ == Mode::Record) {
        recorded_.push_back({call, value});
    }
    (engine_.*setter)(value);
}

void DriveInputSink::updateInputAngle(float value) {
    pass(InputCall::Angle, value, &InputSink::updateInputAngle);
}
void DriveInputSink::updateInputMove(float value) {
    pass(InputCall::Move, value, &InputSink::updateInputMove);
}
void DriveInputSink::updateInputAnglePlay(float value) {
    pass(InputCall::AnglePlay, value, &InputSink::updateInputAnglePlay);
}
void DriveInputSink::updateInputMovePlay(float value) {
    pass(InputCall::MovePlay, value, &InputSink::updateInputMovePlay);
}
void DriveInputSink::updateInputRL(float value) {
    pass(InputCall::RL, value, &InputSink::updateInputRL);
}
void DriveInputSink::updateInputUD(float value) {
    pass(InputCall::UD, value, &InputSink::updateInputUD);
}
