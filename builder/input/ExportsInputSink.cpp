#include "input/InputSink.h"

#include "tumbleway/tumbleway.h"

void ExportsInputSink::updateInputAngle(float value) {
    xll_UpdateInputAngle(value);
}
void ExportsInputSink::updateInputMove(float value) {
    xll_UpdateInputMove(value);
}
void ExportsInputSink::updateInputAnglePlay(float value) {
    xll_UpdateInputAnglePlay(value);
}
void ExportsInputSink::updateInputMovePlay(float value) {
    xll_UpdateInputMovePlay(value);
}
void ExportsInputSink::updateInputRL(float value) {
    xll_UpdateInputRL(value);
}
void ExportsInputSink::updateInputUD(float value) {
    xll_UpdateInputUD(value);
}
