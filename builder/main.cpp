// TumblewayBuilder: the course builder and simulator window.
//
//   TumblewayBuilder [--screenshot out.png] [--quit-after seconds] [files...]
//
// Files given on the command line are opened at start, in order, as if chosen in the
// open dialog. The program needs the engine's fixed textures under ./data: it runs
// from the folder it is started in when that folder has data/, else from the project
// (or installation) folder that holds the executable's data.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QSaveFile>
#include <QSurfaceFormat>
#include <QTimer>
#include <QUndoStack>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "host/RenderHost.h"
#include "host/RenderView.h"
#include "shell/AppForm.h"
#include "shell/DisplayCheck.h"
#include "shell/FileCommands.h"
#include "shell/MainWindow.h"
#include "shell/QuietStart.h"

namespace {

constexpr int kScreenshotFrames = 10;

bool hasData(const QString& folder) {
    return QFileInfo::exists(folder + QStringLiteral("/data/road.bmp"));
}

// The folder to run from: the current one if it has data/, else the folder beside
// the executable that does (build/bin -> the project root, bin -> share/tumbleway).
QString startDirectory() {
    if (hasData(QDir::currentPath())) {
        return QDir::currentPath();
    }
    const QDir exe(QCoreApplication::applicationDirPath());
    for (const QString& candidate :
         {exe.absoluteFilePath(QStringLiteral("../..")), exe.absoluteFilePath(QStringLiteral("..")),
          exe.absoluteFilePath(QStringLiteral("../share/tumbleway"))}) {
        if (hasData(candidate)) {
            return QDir(candidate).canonicalPath();
        }
    }
    return QDir::currentPath();
}

// Starts the program again on Mesa's software rasterizer, in place of this process.
void restartInSoftware(char** argv) {
    qputenv("LIBGL_ALWAYS_SOFTWARE", "1");
    std::vector<char> self(4096);
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    if (length > 0) {
        self[static_cast<std::size_t>(length)] = '\0';
        execv(self.data(), argv);
    }
    std::perror("TumblewayBuilder: cannot start again on the software rasterizer");
}

// Whether the command line asks for the libraries' warnings on the terminal; read before
// the application object exists, which already warns.
bool wantsVerbose(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--verbose") == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QSurfaceFormat format = RenderView::surfaceFormat();
    format.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(format);
    // Said on the terminal before the libraries' words go to the log: without a display
    // Qt would end the program with an abort and say why only there.
    if (const QString reason = missingDisplayReason(); !reason.isEmpty()) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QCoreApplication::translate(
                                    "main", "TumblewayBuilder cannot open its window: %1. Start "
                                            "it in a desktop session, or under xvfb-run for a "
                                            "virtual screen.")
                                    .arg(reason)));
        return 1;
    }
    std::FILE* terminal = QuietStart::begin(wantsVerbose(argc, argv));

    QApplication::setOrganizationName(QStringLiteral("Tumbleway"));
    QApplication::setApplicationName(QStringLiteral("TumblewayBuilder"));
    QApplication app(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral("0.9.6"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Tumbleway course builder and rolling-object simulator."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Saves a picture of the window once it runs and the files are open."),
        QStringLiteral("png"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"),
                                       QStringLiteral("Closes the window after this many seconds."),
                                       QStringLiteral("seconds"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("Shows the libraries' warnings (no sound card, ...) on the terminal "
                       "instead of the log file %1.")
            .arg(QuietStart::logPath()));
    const QCommandLineOption language(
        QStringLiteral("language"),
        QStringLiteral("The language of the menus and dialogs: ja (Japanese) or en (English); "
                       "by default the system's."),
        QStringLiteral("ja|en"));
    parser.addOption(screenshot);
    parser.addOption(quitAfter);
    parser.addOption(verbose);
    parser.addOption(language);
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Files to open (.x .bmp .wav .xml .sim)."),
                                 QStringLiteral("[files...]"));
    parser.process(app);
    installTranslation(app, parser.value(language));

    // Names on the command line are relative to where the user is, not to where the
    // program runs from.
    QStringList files;
    for (const QString& name : parser.positionalArguments()) {
        files << QFileInfo(name).absoluteFilePath();
    }
    const QString screenshotPath = parser.isSet(screenshot)
                                       ? QFileInfo(parser.value(screenshot)).absoluteFilePath()
                                       : QString();
    // The engine reads its fixed pictures from the folder it starts in; the user's own
    // folder is the current one again once it has.
    const QString userFolder = QDir::currentPath();
    QDir::setCurrent(startDirectory());

    MainWindow window;
    const RenderHost::CreateResult result = window.start();
    QDir::setCurrent(userFolder);
    if (result == RenderHost::CreateResult::RetryInSoftware) {
        restartInSoftware(argv);
        return 1;
    }
    if (result != RenderHost::CreateResult::Ok) {
        return 1;
    }
    window.show();

    bool screenshotTaken = screenshotPath.isEmpty();
    const auto takeScreenshot = [&] {
        if (screenshotTaken) {
            return;
        }
        screenshotTaken = true;
        QDir().mkpath(QFileInfo(screenshotPath).absolutePath());
        // Through a temporary file, as the saves: a picture that cannot be written whole
        // leaves an older one of that name as it was.
        QSaveFile file(screenshotPath);
        if (!file.open(QIODevice::WriteOnly) || !window.snapshot().save(&file, "PNG") ||
            !file.commit()) {
            std::fprintf(terminal, "TumblewayBuilder: cannot write %s\n",
                         qPrintable(screenshotPath));
        }
    };

    QObject::connect(&window.form(), &AppForm::started, &window, [&] {
        for (const QString& file : files) {
            window.files().openPath(file);
        }
        // The files the program was started with are where the session begins.
        window.form().history().clear();
        window.offerRecovery();
        if (!screenshotTaken) {
            const long long first = window.form().host().frameCount();
            QObject::connect(&window.form().host(), &RenderHost::frameDone, &window, [&, first] {
                if (window.form().host().frameCount() >= first + kScreenshotFrames) {
                    QTimer::singleShot(0, &window, takeScreenshot);
                }
            });
        }
    });

    if (parser.isSet(quitAfter)) {
        const double seconds = parser.value(quitAfter).toDouble();
        QTimer::singleShot(static_cast<int>(seconds * 1000), &window, [&] {
            takeScreenshot();
            // A timed run has nobody to ask about unsaved changes.
            window.setUnsavedAnswer([](const QString&) { return QMessageBox::Discard; });
            window.close();
        });
    }
    return app.exec();
}
