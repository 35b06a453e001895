#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QTimer>

#include <functional>

#include "d3d9/gl_device.h"
#include "host/DisplaySettings.h"
#include "host/HostErrors.h"

class GLDevice;
class IDirect3DDevice9;
#include "host/RenderView.h"
class DisplaySettingsDialog;
class QWidget;

// The steps the host runs at fixed moments of the device's life and of each frame.
// The form fills them with the engine's calls.
class RenderSteps {
public:
    virtual ~RenderSteps() = default;
    virtual void oneTimeSceneInit() = 0;
    virtual void initDeviceObjects(IDirect3DDevice9* device) = 0;
    virtual void restoreDeviceObjects() = 0;
    virtual void frameMove() = 0;
    virtual void render() = 0;
    virtual void invalidateDeviceObjects() = 0;
    virtual void deleteDeviceObjects() = 0;
    // Windowed: the view back in the form; full screen: the view over the whole screen.
    virtual void adjustWindowForChange(bool windowed) = 0;
};

// The render-loop host: owns the GL device and the frame loop, and keeps the order
// of the device's life that the engine relies on:
//   start-up      one-time scene init, (context) init and restore device objects
//   each frame    frame move, render
//   full screen   invalidate, (new back buffer size) restore
//   new context   invalidate, delete, (new device) init, restore
//   shutdown      invalidate, delete
// Frames follow the display's refresh at the chosen present interval and stop while
// the window is minimised, a modal dialog is open or an engine call is in progress.
class RenderHost : public QObject {
    Q_OBJECT
public:
    enum class CreateResult { Ok, Failed, RetryInSoftware };

    // viewFrame: the widget the view fills while windowed; frameWindow: the top level.
    RenderHost(RenderSteps& steps, QWidget* viewFrame, QWidget* frameWindow);
    ~RenderHost() override;

    // Checks that a GL 3.3 core context can be had, enumerates the display, chooses
    // the settings, runs one-time scene initialisation and puts the view in its frame.
    // The device and its objects follow when the view gets its context (started()).
    CreateResult create();
    // Cleans up the 3-D environment (invalidate and delete device objects) and stores
    // the window size. Nothing of the engine is called afterwards.
    void shutdown();

    bool isStarted() const { return started_; }
    bool isWindowed() const { return windowed_; }
    // Frames run: started, not paused, no fatal error.
    bool isActive() const { return started_ && pauseCount_ == 0 && !fatal_; }
    RenderView* view() const { return view_; }
    GLDevice* device() const { return device_.get(); }
    const DisplaySettings& settings() const { return settings_; }
    const DisplayEnumeration& enumeration() const { return enumeration_; }
    const GLFacts& glFacts() const { return glFacts_; }
    // The size stored for the host's window ("Width", "Height").
    QSize creationSize() const { return creationSize_; }
    void setCreationSize(QSize size) { creationSize_ = size; }
    long long frameCount() const { return frames_; }
    // Replaces the creation size with the stored values, each where it is present.
    void readWindowSize();

    // Pausing nests; frames run again when every pause is undone.
    void pause(bool pause);
    void toggleFullScreen();
    // Serves a configure-display request: back to windowed, the settings dialog, and
    // on OK the environment made again with the new settings.
    void runDisplaySettingsDialog();
    void applyDisplaySettings(const DisplaySettings& settings);
    // How the dialog is run (tests answer it without a user); exec() by default.
    void setDialogRunner(std::function<int(DisplaySettingsDialog&)> runner) {
        dialogRunner_ = std::move(runner);
    }

    // Shows a host error; after a fatal one the main window is closed and no further
    // error is shown.
    void reportError(HRESULT code, HostErrorKind kind);
    bool hadFatalError() const { return fatal_; }

    // Makes the view's context current for engine calls made outside a frame (button
    // handlers that load meshes or rebuild a course) and keeps frames from running
    // inside such a call, e.g. while the engine shows a message.
    class EngineScope {
    public:
        explicit EngineScope(RenderHost& host);
        ~EngineScope();
        EngineScope(const EngineScope&) = delete;
        EngineScope& operator=(const EngineScope&) = delete;

    private:
        RenderHost& host_;
    };
    bool insideEngineCall() const { return engineDepth_ > 0; }
    // Makes the view's context current again inside an engine call, after something
    // (a modal message box) ran the event loop and may have changed it.
    void restoreEngineContext();

    // Settings key path and value names of the stored window size.
    static constexpr const char* kSettingsPath = "Software/DirectX AppWizard Apps/Pindle";

signals:
    // The device objects exist for the first time; file commands may run.
    void started();
    void frameDone();
    void windowedChanged(bool windowed);
    // The view's back buffer took a new size (pixels) and the engine was reset to it.
    void viewSizeChanged(int width, int height);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class RenderView;
    void viewInitialized(RenderView& view);
    void viewResized(int width, int height);
    void viewPainted(RenderView& view);
    void viewContextLost(RenderView& view);

    bool probeGL(QString* why);
    void createView();
    void destroyView();
    void scheduleNextFrame();
    void storeWindowSize();

    RenderSteps& steps_;
    QPointer<QWidget> viewFrame_;
    QPointer<QWidget> frame_;
    QPointer<RenderView> view_;
    ComPtr<GLDevice> device_;
    DisplayEnumeration enumeration_;
    DisplaySettings settings_;
    GLFacts glFacts_;
    QSize creationSize_{400, 300};
    QString startDirectory_;
    QTimer frameTimer_;
    QElapsedTimer frameClock_;
    qint64 lastFrameStart_ = 0;
    std::function<int(DisplaySettingsDialog&)> dialogRunner_;
    long long frames_ = 0;
    int pauseCount_ = 1; // constructed paused, unpaused at the end of the start-up
    int engineDepth_ = 0;
    bool madeCurrent_ = false;
    bool deviceObjects_ = false;
    bool started_ = false;
    bool windowed_ = true;
    bool fatal_ = false;
    bool shutDown_ = false;
};
