#pragma once

// What the keyboard or joystick asks of the driven mesh: a push waiting for the next
// step, and the heading, in half-turns, that it pushes along and the camera follows.
class MovementInput {
public:
    float heading() const { return m_cAngle; }
    void setHeading(float halfTurns) { m_cAngle = halfTurns; }
    void turn(float halfTurns) { m_cAngle += halfTurns; }

    float pendingMove() const { return m_cMove; }
    void setMove(float move) { m_cMove = move; }
    // The step took the push: the next one has none unless it is asked again.
    void clearMove() { m_cMove = 0; }

    void reset() {
        m_cMove = 0;
        m_cAngle = 0;
    }

private:
    float m_cMove = 0;
    float m_cAngle = 0;
};
