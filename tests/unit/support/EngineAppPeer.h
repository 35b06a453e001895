#pragma once

#include "core/EngineApp.h"

// What tests read of the engine that no call of its shows: the values a fresh engine
// starts with, the drawing objects a device made, the state of an edit under way.
// Tests change the engine through its calls; the one state no call reaches before
// start-up, a button held in the view, the peer can set.
class CEngineAppTestPeer {
public:
    explicit CEngineAppTestPeer(CEngineApp& app) : m_app(app) {}

    DWORD playStartTime() const { return m_app.playStartTime; }
    std::int32_t stripCount() const { return m_app.stripCount; }
    std::int32_t roadStrip() const { return m_app.roadStrip; }
    std::int32_t intInfo() const { return m_app.intInfo; }
    bool buildPending() const { return m_app.buildPending; }
    HWND hwnd() const { return m_app.hwnd; }
    const D3DSURFACE_DESC& backBufferDesc() const { return m_app.backBufferDesc; }
    const std::string& roadTexturePath() const { return m_app.roadTexturePath; }
    const std::string& edgeTexturePath() const { return m_app.edgeTexturePath; }
    const std::string& fieldTexturePath() const { return m_app.fieldTexturePath; }
    const ComPtr<ID3DXFont>& fontLarge() const { return m_app.fontLarge; }
    const SkyDome* sky() const { return m_app.sky.get(); }
    const DotSprite* dotBlue() const { return m_app.dotBlue.get(); }
    const DotSprite* dotGreen() const { return m_app.dotGreen.get(); }
    SoundManager* soundManager() const { return m_app.soundManager.get(); }

    const D3DXVECTOR3& lastPlacePoint() const { return m_app.lastPlacePoint; }
    float pointHeightPending() const { return m_app.pointAccumulator[0]; }
    bool pointMessagePending() const { return m_app.pointMessagePending; }
    bool dragging() const { return m_app.dragging; }
    void holdButton() { m_app.dragging = true; }

private:
    CEngineApp& m_app;
};

inline CEngineAppTestPeer peek(CEngineApp& app) {
    return CEngineAppTestPeer(app);
}
