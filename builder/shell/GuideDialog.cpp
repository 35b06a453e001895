#include "shell/GuideDialog.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {

// The guide beside the program's data: the project folder it runs from, or the
// installation's documentation folder.
QString findGuide() {
    const QDir exe(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        QDir::current().absoluteFilePath(QStringLiteral("docs/user-guide.md")),
        exe.absoluteFilePath(QStringLiteral("../../docs/user-guide.md")),
        exe.absoluteFilePath(QStringLiteral("../share/doc/tumbleway/user-guide.md"))};
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            return QFileInfo(candidate).canonicalFilePath();
        }
    }
    return {};
}

} // namespace

void showUserGuide(QWidget* parent) {
    const QString guide = findGuide();
    if (guide.isEmpty()) {
        QMessageBox::information(parent, QObject::tr("Tumbleway Builder"),
                                 QObject::tr("The user guide (docs/user-guide.md) is not "
                                             "beside this program or its installation."));
        return;
    }
    auto* dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setObjectName(QStringLiteral("userGuide"));
    dialog->setWindowTitle(QObject::tr("Tumbleway Builder — user guide"));
    auto* layout = new QVBoxLayout(dialog);
    auto* text = new QTextBrowser(dialog);
    text->setOpenExternalLinks(true);
    // Pictures are named relative to the guide.
    text->setSearchPaths({QFileInfo(guide).absolutePath()});
    text->setSource(QUrl::fromLocalFile(guide), QTextDocument::MarkdownResource);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
    layout->addWidget(buttons);
    dialog->resize(760, 640);
    dialog->show();
}
