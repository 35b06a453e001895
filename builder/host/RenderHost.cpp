#include "host/RenderHost.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QScreen>
#include <QSettings>
#include <QSurfaceFormat>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

#include "host/DisplaySettingsDialog.h"
#include "host/RenderView.h"

namespace {

constexpr int kPausedFramePeriodMs = 50;

// The GL context every view asks for: 3.3 core with a depth buffer, the samples the
// settings choose.
QSurfaceFormat viewFormat(const DisplaySettingsRecord& record) {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    format.setSamples(samplesOf(record.multisampleType));
    return format;
}

bool isSoftwareRenderer(const QString& renderer) {
    return renderer.contains(QLatin1String("llvmpipe"), Qt::CaseInsensitive) ||
           renderer.contains(QLatin1String("softpipe"), Qt::CaseInsensitive) ||
           renderer.contains(QLatin1String("swrast"), Qt::CaseInsensitive) ||
           renderer.contains(QLatin1String("Software Rasterizer"), Qt::CaseInsensitive);
}

// Runs f with the given current directory and puts the previous one back. The engine
// finds its fixed textures under ./data, so device objects made again after a file
// dialog moved the current directory must be made from the start directory.
template <typename F>
void inDirectory(const QString& directory, F&& f) {
    const QString previous = QDir::currentPath();
    const bool moved = !directory.isEmpty() && directory != previous && QDir::setCurrent(directory);
    f();
    if (moved) {
        QDir::setCurrent(previous);
    }
}

} // namespace

RenderHost::RenderHost(RenderSteps& steps, QWidget* viewFrame, QWidget* frameWindow)
    : steps_(steps), viewFrame_(viewFrame), frame_(frameWindow) {
    frameTimer_.setSingleShot(true);
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, [this] {
        if (view_ != nullptr) {
            view_->update();
        }
    });
    frameClock_.start();
    qApp->installEventFilter(this);
}

RenderHost::~RenderHost() {
    qApp->removeEventFilter(this);
    shutdown();
}

bool RenderHost::probeGL(QString* why) {
    QOpenGLContext context;
    context.setFormat(viewFormat(DisplaySettingsRecord{}));
    if (!context.create()) {
        *why = QStringLiteral("no OpenGL context");
        return false;
    }
    const QSurfaceFormat format = context.format();
    QOffscreenSurface surface;
    surface.setFormat(format);
    surface.create();
    if (!context.makeCurrent(&surface)) {
        *why = QStringLiteral("the OpenGL context cannot be made current");
        return false;
    }
    QOpenGLFunctions* gl = context.functions();
    const auto* renderer = reinterpret_cast<const char*>(gl->glGetString(GL_RENDERER));
    glFacts_.renderer = renderer != nullptr ? renderer : "OpenGL";
    glFacts_.software = isSoftwareRenderer(QString::fromStdString(glFacts_.renderer));
    GLint samples = 0;
    gl->glGetIntegerv(0x8D57 /* GL_MAX_SAMPLES */, &samples);
    glFacts_.maxSamples = samples;
    glFacts_.alphaBits = std::max(format.alphaBufferSize(), 0);
    context.doneCurrent();
    if (format.version() < qMakePair(3, 3) || format.profile() != QSurfaceFormat::CoreProfile) {
        *why = QStringLiteral("OpenGL %1.%2 without the 3.3 core profile")
                   .arg(format.majorVersion())
                   .arg(format.minorVersion());
        return false;
    }
    return true;
}

RenderHost::CreateResult RenderHost::create() {
    startDirectory_ = QDir::currentPath();
    QString why;
    if (!probeGL(&why)) {
        qWarning("TumblewayBuilder: %s (renderer: %s)", qPrintable(why),
                 glFacts_.renderer.empty() ? "none" : glFacts_.renderer.c_str());
        // A hardware driver without GL 3.3 core: Mesa's software rasterizer may still
        // offer it, which the caller tries by starting again with it.
        if (!glFacts_.renderer.empty() && !glFacts_.software &&
            qEnvironmentVariableIsEmpty("LIBGL_ALWAYS_SOFTWARE")) {
            reportError(host_error::kHalNotCompatible, HostErrorKind::SwitchedToReference);
            return CreateResult::RetryInSoftware;
        }
        reportError(host_error::kNoDirect3D, HostErrorKind::Fatal);
        return CreateResult::Failed;
    }

    std::vector<ScreenFacts> screens;
    for (QScreen* screen : QGuiApplication::screens()) {
        const qreal ratio = screen->devicePixelRatio();
        screens.push_back({screen->name().toStdString(),
                           static_cast<int>(screen->size().width() * ratio),
                           static_cast<int>(screen->size().height() * ratio), screen->depth(),
                           static_cast<int>(screen->refreshRate() + 0.5)});
    }
    enumeration_ = enumerateDisplay(glFacts_, screens);
    if (!chooseInitialSettings(enumeration_, &settings_)) {
        reportError(host_error::kNoCompatibleDevices, HostErrorKind::Fatal);
        return CreateResult::Failed;
    }

    steps_.oneTimeSceneInit();
    createView();
    return CreateResult::Ok;
}

void RenderHost::createView() {
    auto* view = new RenderView(*this, viewFrame_);
    view->setFormat(viewFormat(settings_.current()));
    if (viewFrame_->layout() == nullptr) {
        auto* layout = new QVBoxLayout(viewFrame_);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    viewFrame_->layout()->addWidget(view);
    view_ = view;
    connect(view, &QOpenGLWidget::frameSwapped, this, &RenderHost::scheduleNextFrame);
    view->show();
}

void RenderHost::destroyView() {
    if (view_ == nullptr) {
        return;
    }
    frameTimer_.stop();
    delete view_.data(); // its destructor hands the context's end to viewContextLost
    view_ = nullptr;
}

void RenderHost::viewInitialized(RenderView& view) {
    const QSize size = view.size() * view.devicePixelRatioF();
    device_ = GLDevice::create(static_cast<UINT>(std::max(size.width(), 1)),
                               static_cast<UINT>(std::max(size.height(), 1)));
    if (!device_) {
        reportError(host_error::kNoCompatibleDevices, HostErrorKind::Fatal);
        return;
    }
    if (!started_) {
        steps_.initDeviceObjects(device_.get());
        steps_.restoreDeviceObjects();
        deviceObjects_ = true;
        started_ = true;
        pause(false);
        // Outside initializeGL: whoever waits for the start may open files and
        // make engine calls of their own.
        QMetaObject::invokeMethod(this, &RenderHost::started, Qt::QueuedConnection);
    } else {
        inDirectory(startDirectory_, [this] {
            steps_.initDeviceObjects(device_.get());
            steps_.restoreDeviceObjects();
        });
        deviceObjects_ = true;
    }
}

void RenderHost::viewResized(int width, int height) {
    if (!device_) {
        return;
    }
    device_->resize(static_cast<UINT>(std::max(width, 1)), static_cast<UINT>(std::max(height, 1)));
    // A new back buffer size is a reset: the engine takes the new size and keeps the scene.
    if (deviceObjects_ && !insideEngineCall()) {
        ++engineDepth_;
        steps_.invalidateDeviceObjects();
        steps_.restoreDeviceObjects();
        --engineDepth_;
        emit viewSizeChanged(width, height);
    }
}

void RenderHost::viewContextLost(RenderView& view) {
    if (&view != view_ || !device_) {
        return;
    }
    view.makeCurrent();
    if (deviceObjects_) {
        ++engineDepth_;
        steps_.invalidateDeviceObjects();
        steps_.deleteDeviceObjects();
        --engineDepth_;
    }
    deviceObjects_ = false;
    device_->releaseGLResources();
    device_ = nullptr;
    view.doneCurrent();
}

void RenderHost::viewPainted(RenderView& view) {
    lastFrameStart_ = frameClock_.elapsed();
    if (!deviceObjects_ || &view != view_ || insideEngineCall()) {
        return; // the view keeps what it showed last
    }
    if (!isActive()) {
        // Paused (a dialog is open): the scene stands still but is drawn as it is, so
        // the view never goes blank behind the dialog.
        if (!fatal_ && started_) {
            ++engineDepth_;
            steps_.render();
            --engineDepth_;
        }
        return;
    }
    if (frame_ != nullptr && frame_->isMinimized()) {
        return;
    }
    // A modal dialog or a popup menu runs its own event loop; the scene waits, as
    // the user's attention does, but the view keeps showing it.
    if (QApplication::activeModalWidget() != nullptr ||
        QApplication::activePopupWidget() != nullptr) {
        ++engineDepth_;
        steps_.render();
        --engineDepth_;
        return;
    }
    ++engineDepth_;
    steps_.frameMove();
    steps_.render();
    --engineDepth_;
    ++frames_;
    emit frameDone();
}

void RenderHost::scheduleNextFrame() {
    if (shutDown_ || view_ == nullptr) {
        return;
    }
    int delay = 1;
    if (!isActive()) {
        delay = kPausedFramePeriodMs;
    } else {
        const int interval = swapIntervalOf(settings_.current().presentInterval);
        const int refresh = std::max(settings_.current().mode.refreshRate, 1);
        // Where presenting waits for the display this is already over; where it does
        // not (a virtual screen), the frames are spaced as the display would.
        const qint64 period = interval * 1000 / refresh;
        const qint64 spent = frameClock_.elapsed() - lastFrameStart_;
        delay = static_cast<int>(std::max<qint64>(1, period - spent));
    }
    frameTimer_.start(delay);
}

void RenderHost::pause(bool pause) {
    pauseCount_ += pause ? 1 : -1;
    pauseCount_ = std::max(pauseCount_, 0);
    if (pauseCount_ == 0 && view_ != nullptr && !frameTimer_.isActive()) {
        frameTimer_.start(1);
    }
}

void RenderHost::toggleFullScreen() {
    if (!started_ || fatal_) {
        return;
    }
    pause(true);
    windowed_ = !windowed_;
    steps_.adjustWindowForChange(windowed_);
    // The same device goes on with a back buffer of the new size: a reset.
    if (deviceObjects_ && view_ != nullptr) {
        EngineScope scope(*this);
        steps_.invalidateDeviceObjects();
        steps_.restoreDeviceObjects();
    }
    emit windowedChanged(windowed_);
    pause(false);
}

void RenderHost::runDisplaySettingsDialog() {
    if (!started_ || fatal_) {
        return;
    }
    if (!windowed_) {
        toggleFullScreen();
    }
    pause(true);
    DisplaySettingsDialog dialog(enumeration_, settings_, frame_);
    const int result = dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
    if (result == QDialog::Accepted) {
        applyDisplaySettings(dialog.settings());
    }
    pause(false);
}

void RenderHost::applyDisplaySettings(const DisplaySettings& settings) {
    pause(true);
    settings_ = settings;
    // The view is made anew with the new framebuffer: the engine sees its device
    // objects deleted with the old context and made again in the new one.
    destroyView();
    if (windowed_ != settings_.windowed) {
        windowed_ = settings_.windowed;
        steps_.adjustWindowForChange(windowed_);
        emit windowedChanged(windowed_);
    }
    createView();
    pause(false);
}

void RenderHost::reportError(HRESULT code, HostErrorKind kind) {
    if (fatal_) {
        return;
    }
    if (kind == HostErrorKind::Fatal) {
        fatal_ = true;
    }
    const std::string text = hostErrorMessage(code, kind);
    pause(true);
    MessageBoxA(nullptr, text.c_str(), "Tumbleway", hostErrorIcon(kind));
    pause(false);
    if (kind == HostErrorKind::Fatal && frame_ != nullptr) {
        QMetaObject::invokeMethod(frame_.data(), &QWidget::close, Qt::QueuedConnection);
    }
}

void RenderHost::shutdown() {
    if (shutDown_) {
        return;
    }
    if (started_) {
        storeWindowSize();
    }
    shutDown_ = true;
    frameTimer_.stop();
    destroyView();
}

void RenderHost::readWindowSize() {
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kSettingsPath));
    creationSize_.setWidth(settings.value(QStringLiteral("Width"), creationSize_.width()).toInt());
    creationSize_.setHeight(
        settings.value(QStringLiteral("Height"), creationSize_.height()).toInt());
}

void RenderHost::storeWindowSize() {
    if (view_ == nullptr || !windowed_) {
        return;
    }
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(kSettingsPath));
    settings.setValue(QStringLiteral("Width"), view_->width());
    settings.setValue(QStringLiteral("Height"), view_->height());
}

bool RenderHost::eventFilter(QObject* watched, QEvent* event) {
    if (windowed_ || !started_ || frame_ == nullptr) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    const bool inFrame = widget != nullptr && widget->window() == frame_;
    if (event->type() == QEvent::KeyRelease && inFrame &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        !static_cast<QKeyEvent*>(event)->isAutoRepeat()) {
        QMetaObject::invokeMethod(this, &RenderHost::toggleFullScreen, Qt::QueuedConnection);
        return true;
    }
    // Another program took the screen: the full-screen view gives it up and goes back
    // into the window, as a lost full-screen device does.
    if (event->type() == QEvent::WindowDeactivate && watched == frame_ &&
        QApplication::activeModalWidget() == nullptr) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!windowed_) {
                    toggleFullScreen();
                }
            },
            Qt::QueuedConnection);
    }
    return false;
}

RenderHost::EngineScope::EngineScope(RenderHost& host) : host_(host) {
    if (host_.engineDepth_++ == 0 && host_.view_ != nullptr && !host_.view_->isPainting() &&
        host_.view_->context() != nullptr) {
        host_.view_->makeCurrent();
        host_.madeCurrent_ = true;
    }
}

RenderHost::EngineScope::~EngineScope() {
    if (--host_.engineDepth_ == 0 && host_.madeCurrent_) {
        host_.madeCurrent_ = false;
        if (host_.view_ != nullptr) {
            host_.view_->doneCurrent();
        }
    }
}

void RenderHost::restoreEngineContext() {
    if (madeCurrent_ && view_ != nullptr && view_->context() != nullptr) {
        view_->makeCurrent();
    }
}
