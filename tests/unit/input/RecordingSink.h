// Records the engine setter calls of the input mapping.
#pragma once

#include "input/InputSink.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

struct SetterCall {
    std::string setter;
    float value;
    friend bool operator==(const SetterCall&, const SetterCall&) = default;
    friend std::ostream& operator<<(std::ostream& out, const SetterCall& call) {
        return out << call.setter << "(" << call.value << ")";
    }
};

class RecordingSink final : public InputSink {
public:
    void updateInputAngle(float value) override { record("Angle", value); }
    void updateInputMove(float value) override { record("Move", value); }
    void updateInputAnglePlay(float value) override { record("AnglePlay", value); }
    void updateInputMovePlay(float value) override { record("MovePlay", value); }
    void updateInputRL(float value) override { record("RL", value); }
    void updateInputUD(float value) override { record("UD", value); }

    // The calls since the last take.
    std::vector<SetterCall> take() { return std::exchange(m_calls, {}); }

private:
    void record(const char* setter, float value) { m_calls.push_back({setter, value}); }
    std::vector<SetterCall> m_calls;
};
