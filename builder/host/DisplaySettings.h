#pragma once

#include <string>
#include <vector>

#include "d3d9/d3d9types.h"

// What the display offers, in the shape of a Direct3D 9 enumeration, and the settings
// the user chose from it. Everything is filled from what this machine's OpenGL and
// screens report; nothing of it is stored on disk.

// What the GL context and a screen tell about the machine.
struct GLFacts {
    std::string renderer;  // GL_RENDERER
    bool software = false; // Mesa's software rasterizer (llvmpipe, softpipe, swrast)
    int maxSamples = 0;    // GL_MAX_SAMPLES
    int alphaBits = 0;     // of the default framebuffer format the context gives
};

struct ScreenFacts {
    std::string name;
    int width = 0; // device pixels
    int height = 0;
    int depth = 24; // bits per pixel of the desktop
    int refreshRate = 60;
};

struct DisplayMode {
    int width = 0;
    int height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    int refreshRate = 0;

    bool operator==(const DisplayMode&) const = default;
};

// One way of driving a device: adapter format, back buffer format, windowed or not,
// and what can go with them.
struct DeviceCombo {
    D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    bool windowed = true;
    std::vector<D3DFORMAT> depthStencilFormats;
    std::vector<D3DMULTISAMPLE_TYPE> multisampleTypes;
    std::vector<DWORD> multisampleQualities; // number of quality levels, per type
    std::vector<DWORD> vertexProcessingTypes;
    std::vector<UINT> presentIntervals;
};

struct DeviceInfo {
    D3DDEVTYPE type = D3DDEVTYPE_HAL;
    std::vector<DeviceCombo> combos;
};

struct AdapterInfo {
    int ordinal = 0;
    std::string description;
    DisplayMode desktopMode;
    std::vector<DisplayMode> modes; // full-screen modes, sorted
    std::vector<DeviceInfo> devices;
};

struct DisplayEnumeration {
    std::vector<AdapterInfo> adapters;
};

// Vertex processing kinds of the settings (the values Direct3D 9 gives them).
enum VertexProcessingType : DWORD {
    SOFTWARE_VP = 1,
    MIXED_VP = 2,
    HARDWARE_VP = 3,
    PURE_HARDWARE_VP = 4,
};

struct DisplaySettingsRecord {
    int adapter = 0;
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DFORMAT adapterFormat = D3DFMT_UNKNOWN;
    DisplayMode mode;
    D3DFORMAT backBufferFormat = D3DFMT_UNKNOWN;
    D3DFORMAT depthStencilFormat = D3DFMT_UNKNOWN;
    D3DMULTISAMPLE_TYPE multisampleType = D3DMULTISAMPLE_NONE;
    DWORD multisampleQuality = 0;
    DWORD vertexProcessing = HARDWARE_VP;
    UINT presentInterval = D3DPRESENT_INTERVAL_DEFAULT;

    bool operator==(const DisplaySettingsRecord&) const = default;
};

struct DisplaySettings {
    bool windowed = true;
    DisplaySettingsRecord windowedSettings;
    DisplaySettingsRecord fullscreenSettings;

    const DisplaySettingsRecord& current() const {
        return windowed ? windowedSettings : fullscreenSettings;
    }
    bool operator==(const DisplaySettings&) const = default;
};

// Builds the enumeration: one adapter per screen, the hardware device or (on Mesa's
// software rasterizer) the reference device, the desktop's colour format, full-screen
// modes of at least 640 x 480, and what the GL framebuffer can carry.
DisplayEnumeration enumerateDisplay(const GLFacts& gl, const std::vector<ScreenFacts>& screens);

// Windowed on the first adapter's desktop mode with the first offer of every list;
// full screen on the desktop's resolution. False when nothing can be chosen.
bool chooseInitialSettings(const DisplayEnumeration& enumeration, DisplaySettings* settings);

// Swap interval of a present interval (immediate 0, default and one 1, two 2, ...).
int swapIntervalOf(UINT presentInterval);
// Samples a GL framebuffer gets for a multisample type (0 for none or non-maskable).
int samplesOf(D3DMULTISAMPLE_TYPE type);

// Texts of the settings dialog.
std::string deviceTypeText(D3DDEVTYPE type);
std::string multisampleTypeText(D3DMULTISAMPLE_TYPE type);
std::string vertexProcessingText(DWORD type);
std::string presentIntervalText(UINT interval);
std::string displayFormatText(D3DFORMAT format);
std::string resolutionText(int width, int height);
std::string refreshRateText(int hertz);
