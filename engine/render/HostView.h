#pragma once

#include "camera/ViewTab.h"
#include "d3d9/d3d9.h"

// What the host shows the engine in: its window and device (the host's; never owned),
// the view's size and where its top left corner lies in the host's form, the back
// buffer the device draws into, and the tab chosen. The engine writes it as the host
// calls its lifecycle; the parts that draw, pick and build read it.
struct HostView {
    HWND window = nullptr;
    IDirect3DDevice9* device = nullptr;
    unsigned width = 0;
    unsigned height = 0;
    POINT origin{12, 28};
    D3DSURFACE_DESC backBuffer{};
    int tab = TAB_PLACE;

    // Reads the back buffer's size from the device, which must exist.
    void readBackBufferSize() {
        ComPtr<IDirect3DSurface9> surface;
        if (SUCCEEDED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, surface.put()))) {
            surface->GetDesc(&backBuffer);
        }
    }
};
