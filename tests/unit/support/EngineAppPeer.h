#pragma once

#include "assets/sound/SoundManager.h"
#include "core/EngineApp.h"

// What tests read of the engine that no call of its shows: the values a fresh engine
// starts with, the drawing objects a device made, the state of an edit under way.
// Tests change the engine through its calls; the one state no call reaches before
// start-up, a button held in the view, the peer can set.
class CEngineAppTestPeer {
public:
    explicit CEngineAppTestPeer(CEngineApp& app) : m_app(app) {}

    DWORD playStartTime() const { return m_app.renderer.playStartTime; }
    std::int32_t stripCount() const { return m_app.courses.stripCount; }
    std::int32_t roadStrip() const { return m_app.courses.roadStrip; }
    std::int32_t intInfo() const { return m_app.renderer.intInfo; }
    bool buildPending() const { return m_app.buildPending; }
    HWND hwnd() const { return m_app.view.window; }
    const D3DSURFACE_DESC& backBufferDesc() const { return m_app.view.backBuffer; }
    const std::string& roadTexturePath() const { return m_app.courses.roadTexturePath; }
    const std::string& edgeTexturePath() const { return m_app.courses.edgeTexturePath; }
    const std::string& fieldTexturePath() const { return m_app.courses.fieldTexturePath; }
    const ComPtr<ID3DXFont>& fontLarge() const { return m_app.renderer.fontLarge; }
    const SkyDome* sky() const { return m_app.renderer.sky.get(); }
    const DotSprite* dotBlue() const { return m_app.renderer.dotBlue.get(); }
    const DotSprite* dotGreen() const { return m_app.renderer.dotGreen.get(); }
    SoundManager* soundManager() const { return m_app.sounds.soundManager.get(); }

    const D3DXVECTOR3& lastPlacePoint() const { return m_app.edit.lastPlacePoint; }
    float pointHeightPending() const { return m_app.edit.pointAccumulator[0]; }
    bool pointMessagePending() const { return m_app.edit.pointMessagePending; }
    bool dragging() const { return m_app.edit.dragging(); }
    void holdButton() { m_app.edit.m_dragging = true; }
    HRESULT drawPlaceText() { return m_app.renderer.drawPlaceText(); }

private:
    CEngineApp& m_app;
};

inline CEngineAppTestPeer peek(CEngineApp& app) {
    return CEngineAppTestPeer(app);
}
