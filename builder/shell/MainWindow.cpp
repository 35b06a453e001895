#include "shell/MainWindow.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>

#include "shell/AboutDialog.h"
#include "shell/AppForm.h"
#include "shell/FileCommands.h"

namespace {

constexpr int kExitCommand = 57665;

} // namespace

MainWindow::MainWindow() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setWindowIcon(programIcon());
    form_ = new AppForm(this);
    setCentralWidget(form_);
    files_ = std::make_unique<FileCommands>(*form_, this);

    const auto addAction = [this](QMenu* menu, const char* text, int id,
                                  const char* tip = nullptr) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        action->setObjectName(QString::number(id));
        if (tip != nullptr) {
            action->setStatusTip(QString::fromUtf8(tip));
        }
        return action;
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* open = addAction(file, "開く", 40021, "既存のゲームセッションファイルを開く");
    QAction* save = addAction(file, "上書き保存", 40025);
    QAction* saveAs = addAction(file, "名前を変えて保存", 40026);
    file->addSeparator();
    // F2 and F3 belong to the input layer; the menu only names them.
    QAction* display = addAction(file, "Config &display...\tF2", 40002);
    QAction* input = addAction(file, "Configure &input...\tF3", 40011);
    file->addSeparator();
    QAction* exit = addAction(file, "E&xit", kExitCommand);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = addAction(help, "&About", 40023);

    connect(open, &QAction::triggered, files_.get(), &FileCommands::open);
    connect(save, &QAction::triggered, files_.get(), &FileCommands::save);
    connect(saveAs, &QAction::triggered, files_.get(), &FileCommands::saveAs);
    connect(display, &QAction::triggered, form_, &AppForm::requestConfigureDisplay);
    connect(input, &QAction::triggered, form_, &AppForm::requestConfigureInput);
    connect(exit, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, form_, &AppForm::showAbout);

    for (const QKeySequence& keys :
         {QKeySequence(Qt::ALT | Qt::Key_Return), QKeySequence(Qt::ALT | Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this,
                [this] { form_->host().toggleFullScreen(); });
    }

    // What just happened on the left; which mesh the arrow keys drive on the right.
    statusBar()->showMessage(QStringLiteral("Ready"));
    auto* controlled = new QLabel(statusBar());
    controlled->setObjectName(QStringLiteral("controlled"));
    statusBar()->addPermanentWidget(controlled);
    connect(form_, &AppForm::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text); });
    connect(form_, &AppForm::controlledChanged, controlled, [controlled](const QString& name) {
        controlled->setText(name.isEmpty() ? QStringLiteral("Arrow keys drive: nothing")
                                           : QStringLiteral("Arrow keys drive: %1").arg(name));
    });
    connect(form_, &AppForm::importRequested, files_.get(), &FileCommands::open);
    setWindowTitle(QStringLiteral("Tumbleway"));
}

MainWindow::~MainWindow() = default;

RenderHost::CreateResult MainWindow::start() {
    const RenderHost::CreateResult result = form_->initialUpdate();
    if (result == RenderHost::CreateResult::Ok) {
        adjustSize();
        setWindowTitle(QStringLiteral("Tumbleway Builder"));
    }
    return result;
}

QImage MainWindow::snapshot() {
    QImage picture = grab().toImage();
    // Widgets are painted by the window; the view's frame comes from its own
    // framebuffer and is laid over its place.
    if (RenderView* view = form_->host().view(); view != nullptr && view->isVisible()) {
        QPainter painter(&picture);
        const QRect place(view->mapTo(this, QPoint(0, 0)), view->size());
        painter.drawImage(place, view->grabFramebuffer());
    }
    return picture;
}

QAction* MainWindow::action(int id) const {
    return findChild<QAction*>(QString::number(id));
}
