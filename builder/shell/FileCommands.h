#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

#include "shell/FileNames.h"

class QWidget;

// What the document holds for its views: the chosen file's three names and which
// command asks for the update. Exactly one flag is set during an update.
struct FileDocument {
    ChosenFile file;
    bool open = false;
    bool save = false;
    bool saveAs = false;
};

class DocumentView {
public:
    virtual ~DocumentView() = default;
    virtual void onDocumentUpdate(const FileDocument& document) = 0;
};

// A file dialog as the commands ask for it.
struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    QStringList filters; // in the dialog's own form, "label (patterns)"
    QString defaultSuffix;
};

// Shows the dialog and answers the chosen full path, or an empty string when the user
// cancelled. Tests put in a function that answers at once.
using FileChooser = std::function<QString(const FileDialogRequest&)>;

// The three commands of the "&File" menu. Each sets its flag, lets the view do the
// work, and clears the flag again. A dialog leaves the current directory at the
// chosen file's folder, where the engine and the readers look for files by name.
class FileCommands : public QObject {
    Q_OBJECT
public:
    // One literal, so that the translation tools see it whole.
    // clang-format off
    static constexpr const char* kOpenFilter = QT_TR_NOOP("Meshes (*.x *.glb *.gltf *.obj *.fbx *.dae *.ply *.stl)|*.x;*.glb;*.gltf;*.obj;*.fbx;*.dae;*.ply;*.stl|Mesh (*.x)|*.x|glTF (*.glb *.gltf)|*.glb;*.gltf|OBJ (*.obj)|*.obj|FBX (*.fbx)|*.fbx|Collada (*.dae)|*.dae|PLY (*.ply)|*.ply|STL (*.stl)|*.stl|Bitmap (*.bmp)|*.bmp|Sound (*.wav *.ogg *.flac)|*.wav;*.ogg;*.flac|Simulation (*.xml)|*.xml|SIM file (*.sim)|*.sim|All files (*.*)|*.*||");
    // clang-format on
    static constexpr const char* kSaveFilter = QT_TR_NOOP("Simulation (*.xml)|*.xml|");

    FileCommands(DocumentView& view, QWidget* dialogParent);

    // Open: the open dialog, then the view dispatches by extension.
    void open();
    // Save: the binary session file, no dialog.
    void save();
    // Save As: the save dialog, then the XML simulation file. False when the user
    // cancelled the dialog (whether the save then worked, the view says).
    bool saveAs();
    // Opens a file as if it had been chosen in the open dialog.
    void openPath(const QString& path);
    // Saves under a new name as if it had been chosen in the save dialog.
    void saveTo(const QString& path);

    void setChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
    // Shows a file dialog (or asks the chooser put in); the chosen full path, or an
    // empty string when the user cancelled.
    QString choose(const FileDialogRequest& request);
    const FileDocument& document() const { return document_; }

    // "label|pattern|label|pattern||" as the dialog's filters, with the labels as
    // they are and "*.*" meaning every file.
    static QStringList dialogFilters(const QString& filter);

signals:
    // A file was chosen to open or to save under (its full path).
    void fileChosen(const QString& path);

private:
    void chosen(const QString& path);

    DocumentView& view_;
    QPointer<QWidget> dialogParent_;
    FileChooser chooser_;
    FileDocument document_;
};
