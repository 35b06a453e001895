// File > Export course: the current course as a glTF binary file.
#include <QFileInfo>

#include "shell/AppForm.h"
#include "tumbleway/tumbleway_ext.h"
#include "win32/win32.h"

void AppForm::exportCourse(const QString& path) {
    char why[512] = {};
    int result = TWX_FAILED;
    const QByteArray file = QFileInfo(path).absoluteFilePath().toLocal8Bit();
    engineCall([&] { result = twx_export_gltf(file.constData(), why, sizeof why); });
    if (result == TWX_NO_COURSE) {
        emit statusMessage(
            tr("Nothing exported: choose a course in the tree, or create one, first."));
        return;
    }
    if (result != TWX_OK) {
        // The file that was there, if any, is as it was.
        const QString reason = QString::fromLocal8Bit(why);
        const QString text = tr("The course could not be exported.\n%1: %2").arg(path, reason);
        MessageBoxA(nullptr, text.toStdString().c_str(), "Tumbleway Builder", MB_OK | MB_ICONERROR);
        emit statusMessage(tr("Not exported: %1: %2").arg(path, reason));
        return;
    }
    emit statusMessage(tr("Exported the course to %1.").arg(path));
}
