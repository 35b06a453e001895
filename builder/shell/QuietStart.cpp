#include "shell/QuietStart.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <fcntl.h>
#include <unistd.h>

#include <memory>

namespace {

void toLog(QtMsgType type, const QMessageLogContext&, const QString& message) {
    static const char* const kinds[] = {"debug", "warning", "critical", "fatal", "info"};
    std::fprintf(stderr, "Qt %s: %s\n", kinds[type], qPrintable(message));
    std::fflush(stderr);
}

} // namespace

QString QuietStart::logPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty()) {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/Tumbleway/TumblewayBuilder.log");
}

std::FILE* QuietStart::begin(bool verbose) {
    if (verbose) {
        return stderr;
    }
    const QString path = logPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int log =
        ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int terminal = ::dup(STDERR_FILENO);
    if (log < 0 || terminal < 0) {
        return stderr; // no log: better heard than lost
    }
    std::fflush(stderr);
    ::dup2(log, STDERR_FILENO);
    ::close(log);
    ::fcntl(terminal, F_SETFD, FD_CLOEXEC);
    qInstallMessageHandler(toLog);
    std::FILE* out = ::fdopen(terminal, "w");
    return out != nullptr ? out : stderr;
}

QList<QTranslator*> installTranslation(QApplication& app, const QString& language) {
    const QString chosen = language.isEmpty() ? QLocale().name() : language;
    const bool japanese = chosen.startsWith(QStringLiteral("ja"));
    QList<QTranslator*> installed;
    const auto install = [&](const QString& name, const QString& folder) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(name, folder)) {
            translator->setParent(&app); // the application keeps it for as long as it runs
            QApplication::installTranslator(translator.get());
            installed << translator.release();
        }
    };
    install(japanese ? QStringLiteral("tumbleway_ja") : QStringLiteral("tumbleway_en"),
            QStringLiteral(":/i18n"));
    // Qt's own dialogs (the buttons of questions, the file dialog) in the same language;
    // Qt's texts are English already.
    if (japanese) {
        install(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    return installed;
}
