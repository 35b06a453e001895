#pragma once

#include <QOpenGLWidget>
#include <QSurfaceFormat>

class RenderHost;

// The 3-D view: a GL 3.3 core widget whose context the host's device draws with. It
// only reports its context's life and its frames to the host; mouse events are left
// to the form underneath, which forwards them to the engine in its own coordinates.
class RenderView : public QOpenGLWidget {
    Q_OBJECT
public:
    RenderView(RenderHost& host, QWidget* parent);
    ~RenderView() override;

    // The surface every view asks for (GL 3.3 core, 24-bit depth, 8-bit stencil); set
    // as the application's default before the first window is made.
    static QSurfaceFormat surfaceFormat();

    // True while the host is inside paintGL (the context is current already).
    bool isPainting() const { return painting_; }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    RenderHost& host_;
    bool painting_ = false;
};
