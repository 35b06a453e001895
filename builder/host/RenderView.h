#pragma once

#include <QOpenGLWidget>

class RenderHost;

// The 3-D view: a GL 3.3 core widget whose context the host's device draws with. It
// only reports its context's life and its frames to the host; mouse events are left
// to the form underneath, which forwards them to the engine in its own coordinates.
class RenderView : public QOpenGLWidget {
    Q_OBJECT
public:
    RenderView(RenderHost& host, QWidget* parent);
    ~RenderView() override;

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
