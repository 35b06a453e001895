#include "shell/FileCommands.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>

FileCommands::FileCommands(DocumentView& view, QWidget* dialogParent)
    : view_(view), dialogParent_(dialogParent) {}

QStringList FileCommands::dialogFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*")) {
            patterns = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

QString FileCommands::choose(const FileDialogRequest& request) {
    if (chooser_) {
        return chooser_(request);
    }
    QFileDialog dialog(dialogParent_, request.title);
    const bool open = request.mode == FileDialogRequest::Mode::Open;
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(open ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The labels carry their patterns already; the dialog shows them as they are.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(request.filters);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setDirectory(QDir::current());
    // The kind of file chosen last is offered again, not the first kind every time.
    const QString filterKey =
        open ? QStringLiteral("fileDialog/openFilter") : QStringLiteral("fileDialog/saveFilter");
    // With the details hidden the dialog names a filter by its label alone.
    const QString lastFilter = QSettings().value(filterKey).toString();
    for (const QString& filter : request.filters) {
        if (!lastFilter.isEmpty() &&
            (filter == lastFilter || filter.startsWith(lastFilter + QLatin1Char(' ')))) {
            dialog.selectNameFilter(filter);
            break;
        }
    }
    const bool accepted = dialog.exec() == QDialog::Accepted;
    QSettings().setValue(filterKey, dialog.selectedNameFilter());
    if (!accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

void FileCommands::chosen(const QString& path) {
    const QFileInfo info(path);
    QDir::setCurrent(info.absolutePath());
    document_.file = splitChosenFile(info.absoluteFilePath().toStdString());
    emit fileChosen(info.absoluteFilePath());
}

void FileCommands::open() {
    const QString path = choose({FileDialogRequest::Mode::Open, tr("Open"),
                                 dialogFilters(tr(kOpenFilter)), QStringLiteral("x")});
    if (!path.isEmpty()) {
        openPath(path);
    }
}

void FileCommands::openPath(const QString& path) {
    chosen(path);
    document_.open = true;
    document_.save = document_.saveAs = false;
    view_.onDocumentUpdate(document_);
    document_.open = false;
}

void FileCommands::save() {
    document_.save = true;
    document_.open = document_.saveAs = false;
    view_.onDocumentUpdate(document_);
    document_.save = false;
}

bool FileCommands::saveAs() {
    const QString path = choose({FileDialogRequest::Mode::Save, tr("Save As"),
                                 dialogFilters(tr(kSaveFilter)), QStringLiteral("xml")});
    if (path.isEmpty()) {
        return false;
    }
    saveTo(path);
    return true;
}

void FileCommands::saveTo(const QString& path) {
    chosen(path);
    document_.saveAs = true;
    document_.open = document_.save = false;
    view_.onDocumentUpdate(document_);
    document_.saveAs = false;
}
