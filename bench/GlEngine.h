// Engines for the benchmarks that draw: the GL device of a headless EGL context
// (llvmpipe where there is no GPU), and engines started on it the way the builder starts
// one. Run from the project root, where ./data is.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "Require.h"
#include "core/EngineApp.h"
#include "d3d9/egl_context.h"
#include "d3d9/gl_device.h"

namespace bench {

constexpr int kGlWidth = 640;
constexpr int kGlHeight = 480;

// The context and the device on it; the context must outlive the device's objects.
struct GlDevice {
    // Null, with the reason in *error, where no headless context can be made.
    static std::unique_ptr<GlDevice> open(std::string* error) {
        auto opened = std::make_unique<GlDevice>();
        opened->context = EglContext::create(kGlWidth, kGlHeight, error);
        if (!opened->context) {
            return nullptr;
        }
        opened->device = GLDevice::create(kGlWidth, kGlHeight);
        return opened;
    }

    std::unique_ptr<EglContext> context;
    ComPtr<GLDevice> device;
};

// An engine started on a device and shut down with it, as a host does.
class StartedEngine {
public:
    explicit StartedEngine(IDirect3DDevice9* device) : app_(std::make_unique<CEngineApp>()) {
        require(app_->oneTimeSceneInit(nullptr), "oneTimeSceneInit");
        require(app_->initDeviceObjects(device), "initDeviceObjects");
        require(app_->restoreDeviceObjects(), "restoreDeviceObjects");
        app_->onInitialUpdate(kGlWidth, kGlHeight, nullptr);
    }
    ~StartedEngine() {
        app_->invalidateDeviceObjects();
        app_->deleteDeviceObjects();
    }
    StartedEngine(const StartedEngine&) = delete;
    StartedEngine& operator=(const StartedEngine&) = delete;

    CEngineApp& app() { return *app_; }

    // Restores a scene as the builder opens one, from the folder it was read in (where
    // its files are found), and makes its course the current one.
    void openScene(const std::filesystem::path& folder, LSession_t& session) {
        const std::filesystem::path here = std::filesystem::current_path();
        std::filesystem::current_path(folder);
        const auto item = reinterpret_cast<HTREEITEM>(std::uintptr_t{1});
        session.item = item;
        int number = 0;
        require(app_->restoreSession(session, &number), "restoreSession");
        app_->selectCourse(item);
        std::filesystem::current_path(here);
    }

private:
    std::unique_ptr<CEngineApp> app_;
};

} // namespace bench
