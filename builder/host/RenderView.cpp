#include "host/RenderView.h"

#include <QOpenGLContext>

#include "host/RenderHost.h"

QSurfaceFormat RenderView::surfaceFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(8);
    return format;
}

RenderView::RenderView(RenderHost& host, QWidget* parent) : QOpenGLWidget(parent), host_(host) {
    setMouseTracking(true);
    setObjectName(QStringLiteral("view"));
    // A paint that draws nothing (the engine is busy showing a message) keeps the last
    // frame on screen instead of a cleared one.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
}

RenderView::~RenderView() {
    // The context goes with the widget: let the engine and the device let go of it
    // while this object is still whole.
    if (context() != nullptr) {
        disconnect(context(), nullptr, this, nullptr);
        host_.viewContextLost(*this);
    }
}

void RenderView::initializeGL() {
    // A new context comes with a new top-level window and on re-creation; everything
    // on the device is made again in it.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
            [this] { host_.viewContextLost(*this); });
    host_.viewInitialized(*this);
}

void RenderView::resizeGL(int width, int height) {
    const qreal ratio = devicePixelRatioF();
    host_.viewResized(static_cast<int>(width * ratio), static_cast<int>(height * ratio));
}

void RenderView::paintGL() {
    painting_ = true;
    host_.viewPainted(*this);
    painting_ = false;
}
