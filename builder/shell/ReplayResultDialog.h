#pragma once

#include <QDialog>
#include <QString>

#include "drive/DrivePlayer.h"

class QTableWidget;

// What a finished replay found: whether the driven object kept to its recorded path, and
// how far each placed object ended from where it ended in the recording.
class ReplayResultDialog : public QDialog {
    Q_OBJECT
public:
    // recording names the replay file, driven the object it drives.
    ReplayResultDialog(const DriveComparison& comparison, const QString& recording,
                       const QString& driven, QWidget* parent);

    QTableWidget* distances() const { return distances_; }

    // One sentence for the status bar; `driven` names the driven object.
    static QString summary(const DriveComparison& comparison, const QString& driven);
    // A distance as the table shows it.
    static QString distanceText(const MeshEnd& end);

private:
    QTableWidget* distances_;
};
