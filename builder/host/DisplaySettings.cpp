#include "host/DisplaySettings.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <tuple>

#include "d3d9/d3d9names.h"

namespace {

constexpr int kSmallestFullscreenWidth = 640;
constexpr int kSmallestFullscreenHeight = 480;

// The colour format of a desktop of the given depth, among the formats the program
// accepts (X8R8G8B8, X1R5G5B5, R5G6B5); unknown for any other depth.
D3DFORMAT desktopFormatOf(int depth) {
    switch (depth) {
    case 24:
    case 32:
        return D3DFMT_X8R8G8B8;
    case 16:
        return D3DFMT_R5G6B5;
    case 15:
        return D3DFMT_X1R5G5B5;
    default:
        return D3DFMT_UNKNOWN;
    }
}

DeviceCombo makeCombo(const GLFacts& gl, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat,
                      bool windowed) {
    DeviceCombo combo;
    combo.adapterFormat = adapterFormat;
    combo.backBufferFormat = backBufferFormat;
    combo.windowed = windowed;
    // The view's framebuffer always carries 24 depth bits and 8 stencil bits.
    combo.depthStencilFormats = {D3DFMT_D24S8};
    combo.multisampleTypes = {D3DMULTISAMPLE_NONE};
    for (int samples : {2, 4, 8, 16}) {
        if (samples <= gl.maxSamples) {
            combo.multisampleTypes.push_back(static_cast<D3DMULTISAMPLE_TYPE>(samples));
        }
    }
    combo.multisampleQualities.assign(combo.multisampleTypes.size(), 1);
    // Vertices are transformed by the GL: on the GPU, or by the CPU in software.
    combo.vertexProcessingTypes = {gl.software ? DWORD{SOFTWARE_VP} : DWORD{HARDWARE_VP}};
    combo.presentIntervals = {D3DPRESENT_INTERVAL_IMMEDIATE, D3DPRESENT_INTERVAL_DEFAULT,
                              D3DPRESENT_INTERVAL_ONE};
    if (!windowed) {
        combo.presentIntervals.insert(
            combo.presentIntervals.end(),
            {D3DPRESENT_INTERVAL_TWO, D3DPRESENT_INTERVAL_THREE, D3DPRESENT_INTERVAL_FOUR});
    }
    return combo;
}

const DeviceCombo* firstCombo(const DeviceInfo& device, bool windowed) {
    for (const auto& combo : device.combos) {
        if (combo.windowed == windowed) {
            return &combo;
        }
    }
    return nullptr;
}

DisplaySettingsRecord recordOf(const AdapterInfo& adapter, const DeviceInfo& device,
                               const DeviceCombo& combo, const DisplayMode& mode) {
    DisplaySettingsRecord record;
    record.adapter = adapter.ordinal;
    record.deviceType = device.type;
    record.adapterFormat = combo.adapterFormat;
    record.mode = mode;
    record.backBufferFormat = combo.backBufferFormat;
    record.depthStencilFormat = combo.depthStencilFormats.front();
    record.multisampleType = combo.multisampleTypes.front();
    record.multisampleQuality = 0;
    record.vertexProcessing = combo.vertexProcessingTypes.front();
    record.presentInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return record;
}

} // namespace

DisplayEnumeration enumerateDisplay(const GLFacts& gl, const std::vector<ScreenFacts>& screens) {
    DisplayEnumeration enumeration;
    int ordinal = 0;
    for (const auto& screen : screens) {
        const D3DFORMAT format = desktopFormatOf(screen.depth);
        if (format == D3DFMT_UNKNOWN) {
            continue;
        }
        AdapterInfo adapter;
        adapter.ordinal = ordinal++;
        adapter.description = gl.renderer + " on " + screen.name;
        adapter.desktopMode = {screen.width, screen.height, format, screen.refreshRate};
        // The desktop's own mode is the one mode a full-screen view can use without
        // changing the monitor's mode under the other programs.
        if (screen.width >= kSmallestFullscreenWidth &&
            screen.height >= kSmallestFullscreenHeight) {
            adapter.modes.push_back(adapter.desktopMode);
        }
        std::sort(adapter.modes.begin(), adapter.modes.end(),
                  [](const DisplayMode& a, const DisplayMode& b) {
                      return std::tie(a.width, a.height, a.format, a.refreshRate) <
                             std::tie(b.width, b.height, b.format, b.refreshRate);
                  });

        DeviceInfo device;
        device.type = gl.software ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL;
        std::vector<D3DFORMAT> backBuffers = {format};
        if (format == D3DFMT_X8R8G8B8 && gl.alphaBits >= 8) {
            backBuffers.push_back(D3DFMT_A8R8G8B8);
        }
        for (bool windowed : {true, false}) {
            if (!windowed && adapter.modes.empty()) {
                continue;
            }
            for (D3DFORMAT backBuffer : backBuffers) {
                device.combos.push_back(makeCombo(gl, format, backBuffer, windowed));
            }
        }
        adapter.devices.push_back(std::move(device));
        enumeration.adapters.push_back(std::move(adapter));
    }
    return enumeration;
}

bool chooseInitialSettings(const DisplayEnumeration& enumeration, DisplaySettings* settings) {
    for (const auto& adapter : enumeration.adapters) {
        for (const auto& device : adapter.devices) {
            const DeviceCombo* windowed = firstCombo(device, true);
            if (windowed == nullptr) {
                continue;
            }
            settings->windowed = true;
            settings->windowedSettings = recordOf(adapter, device, *windowed, adapter.desktopMode);
            const DeviceCombo* fullscreen = firstCombo(device, false);
            settings->fullscreenSettings =
                fullscreen != nullptr
                    ? recordOf(adapter, device, *fullscreen, adapter.modes.front())
                    : settings->windowedSettings;
            return true;
        }
    }
    return false;
}

int swapIntervalOf(UINT presentInterval) {
    switch (presentInterval) {
    case D3DPRESENT_INTERVAL_IMMEDIATE:
        return 0;
    case D3DPRESENT_INTERVAL_TWO:
        return 2;
    case D3DPRESENT_INTERVAL_THREE:
        return 3;
    case D3DPRESENT_INTERVAL_FOUR:
        return 4;
    default:
        return 1;
    }
}

int samplesOf(D3DMULTISAMPLE_TYPE type) {
    return type >= D3DMULTISAMPLE_2_SAMPLES ? static_cast<int>(type) : 0;
}

std::string deviceTypeText(D3DDEVTYPE type) {
    switch (type) {
    case D3DDEVTYPE_HAL:
        return "D3DDEVTYPE_HAL";
    case D3DDEVTYPE_REF:
        return "D3DDEVTYPE_REF";
    case D3DDEVTYPE_SW:
        return "D3DDEVTYPE_SW";
    default:
        return "Unknown devType";
    }
}

std::string multisampleTypeText(D3DMULTISAMPLE_TYPE type) {
    if (type == D3DMULTISAMPLE_NONE) {
        return "D3DMULTISAMPLE_NONE";
    }
    if (type == D3DMULTISAMPLE_NONMASKABLE) {
        return "D3DMULTISAMPLE_NONMASKABLE";
    }
    if (type >= D3DMULTISAMPLE_2_SAMPLES && type <= D3DMULTISAMPLE_16_SAMPLES) {
        return "D3DMULTISAMPLE_" + std::to_string(static_cast<int>(type)) + "_SAMPLES";
    }
    return "Unknown Multisample Type";
}

std::string vertexProcessingText(DWORD type) {
    switch (type) {
    case SOFTWARE_VP:
        return "SOFTWARE_VP";
    case MIXED_VP:
        return "MIXED_VP";
    case HARDWARE_VP:
        return "HARDWARE_VP";
    case PURE_HARDWARE_VP:
        return "PURE_HARDWARE_VP";
    default:
        return "Unknown VertexProcessingType";
    }
}

std::string presentIntervalText(UINT interval) {
    switch (interval) {
    case D3DPRESENT_INTERVAL_IMMEDIATE:
        return "D3DPRESENT_INTERVAL_IMMEDIATE";
    case D3DPRESENT_INTERVAL_DEFAULT:
        return "D3DPRESENT_INTERVAL_DEFAULT";
    case D3DPRESENT_INTERVAL_ONE:
        return "D3DPRESENT_INTERVAL_ONE";
    case D3DPRESENT_INTERVAL_TWO:
        return "D3DPRESENT_INTERVAL_TWO";
    case D3DPRESENT_INTERVAL_THREE:
        return "D3DPRESENT_INTERVAL_THREE";
    case D3DPRESENT_INTERVAL_FOUR:
        return "D3DPRESENT_INTERVAL_FOUR";
    default:
        return "Unknown PresentInterval";
    }
}

std::string displayFormatText(D3DFORMAT format) {
    const char* name = formatName(format);
    return name != nullptr ? name : "D3DFMT_UNKNOWN";
}

std::string resolutionText(int width, int height) {
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%d by %d", width, height);
    return text.data();
}

std::string refreshRateText(int hertz) {
    if (hertz == 0) {
        return "Default Rate";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%d Hz", hertz);
    return text.data();
}
