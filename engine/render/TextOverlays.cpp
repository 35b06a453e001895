// Text over the 3-D view: the play clock, where the camera is, and diagnostics.
#include <algorithm>
#include <cstdio>

#include "camera/CameraRig.h"
#include "render/Renderer.h"
#include "scene/CourseEditor.h"

namespace {

constexpr D3DCOLOR kYellow = 0xFFFFFF00;
constexpr D3DCOLOR kNearBlack = 0xFF0A0A0A;

void drawLine(ID3DXFont* font, const char* text, LONG left, LONG top, LONG right, LONG bottom,
              D3DCOLOR colour) {
    RECT rect{left, top, right, bottom};
    font->DrawTextA(nullptr, text, -1, &rect, 0, colour);
}

} // namespace

std::string playClockText(DWORD elapsed) {
    // The first two fields count units of 8 milliseconds.
    char text[256];
    std::snprintf(text, sizeof text, "%2d.%2d.%3d", static_cast<int>((elapsed / 8) / 60 % 60),
                  static_cast<int>((elapsed / 8) % 60), static_cast<int>(elapsed % 1000));
    return text;
}

RECT playClockRect(UINT width) {
    const LONG w = static_cast<LONG>(width);
    return RECT{w / 2 - 64, 8, w - 20, 48};
}

HRESULT Renderer::drawPlayTimer() {
    if (!fontTimer || !fontLarge) {
        return E_FAIL; // fonts are gone between invalidate and restore
    }
    fontTimer->Begin();
    fontLarge->Begin();
    const std::string text = playClockText(timeGetTime() - playStartTime);
    const RECT r = playClockRect(view.backBuffer.Width);
    drawLine(fontTimer.get(), text.c_str(), r.left, r.top, r.right, r.bottom, kYellow);
    fontTimer->End();
    fontLarge->End();
    return S_OK;
}

HRESULT Renderer::drawPlaceText() {
    if (!fontLarge) {
        return E_FAIL;
    }
    fontLarge->Begin();
    char text[256];
    std::snprintf(text, sizeof text, "course:%d", editor.number());
    drawLine(fontLarge.get(), text, 10, 8, 300, 40, kYellow);
    std::snprintf(text, sizeof text, "location x:%3.1f, y:%3.1f, z:%3.1f", camera.eye().x,
                  camera.eye().y, camera.eye().z);
    drawLine(fontLarge.get(), text, 10, 24, 300, 56, kYellow);
    const D3DXVECTOR3& at = camera.lookedAt();
    std::snprintf(text, sizeof text, "look at x:%3.1f, y:%3.1f, z:%3.1f \n", at.x, at.y, at.z);
    drawLine(fontLarge.get(), text, 10, 40, 300, 72, kYellow);
    fontLarge->End();
    return S_OK;
}

HRESULT Renderer::drawHint(const char* text) {
    if (!fontLarge) {
        return E_FAIL;
    }
    const LONG w = static_cast<LONG>(view.backBuffer.Width);
    const LONG h = static_cast<LONG>(view.backBuffer.Height);
    fontLarge->Begin();
    drawLine(fontLarge.get(), text, 10, h / 2 - 10, w - 10, h / 2 + 22, kYellow);
    fontLarge->End();
    return S_OK;
}

HRESULT Renderer::drawPreviewText() {
    if (!fontLarge) {
        return E_FAIL;
    }
    fontLarge->Begin();
    char lines[5][256];
    std::snprintf(lines[0], sizeof lines[0], "course:%d", editor.number());
    std::snprintf(lines[1], sizeof lines[1], "obj-from x:%f, y:%f, z:%f", camera.eye().x,
                  camera.eye().y, camera.eye().z);
    std::snprintf(lines[2], sizeof lines[2], "obj-dbg x:%f, y:%f, z:%f", diagVector.x, diagVector.y,
                  diagVector.z);
    std::snprintf(lines[3], sizeof lines[3], "int info = %d", intInfo);
    std::snprintf(lines[4], sizeof lines[4], "float info= %f", floatInfo);
    // The lines run to the view's right edge: the camera's three coordinates in full
    // are wider than 300 pixels.
    const LONG right = std::max<LONG>(300, static_cast<LONG>(view.backBuffer.Width) - 10);
    for (int i = 0; i < 5; ++i) {
        const LONG top = 8 + 16 * i;
        drawLine(fontLarge.get(), lines[i], 10, top, right, top + 32, kNearBlack);
    }
    fontLarge->End();
    return S_OK;
}

HRESULT Renderer::drawHelpText() {
    if (!fontLarge || !fontSmall) {
        return E_FAIL;
    }
    fontLarge->Begin();
    fontSmall->Begin();
    const LONG w = static_cast<LONG>(view.backBuffer.Width);
    const LONG h = static_cast<LONG>(view.backBuffer.Height);
    ID3DXFont* font = fontLarge.get();
    drawLine(font, statsText[0].c_str(), 2, 20, w - 20, 40, kYellow);
    drawLine(font, statsText[1].c_str(), 2, 0, w - 20, 20, kYellow);
    drawLine(font, "Use arrow keys or joystick to rotate object", 2, h - 20, w - 20, h, kYellow);
    drawLine(font, "Hold 'F5' down to play and repeat a sound", 2, h - 40, w - 20, h - 20, kYellow);
    drawLine(font, "Press 'F3' to configure input", 2, h - 60, w - 20, h - 40, kYellow);
    drawLine(font, "Press 'F2' to configure display", 2, h - 80, w - 20, h - 60, kYellow);
    fontLarge->End();
    fontSmall->End();
    return S_OK;
}
