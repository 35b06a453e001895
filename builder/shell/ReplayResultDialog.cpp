#include "shell/ReplayResultDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

ReplayResultDialog::ReplayResultDialog(const DriveComparison& comparison, const QString& recording,
                                       const QString& driven, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("replayResult"));
    setWindowTitle(tr("Replay of %1").arg(recording));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(summary(comparison, driven), this);
    text->setObjectName(QStringLiteral("summary"));
    text->setWordWrap(true);
    layout->addWidget(text);

    distances_ = new QTableWidget(static_cast<int>(comparison.ends.size()), 2, this);
    distances_->setObjectName(QStringLiteral("distances"));
    distances_->setHorizontalHeaderLabels(
        {tr("Placed object"), tr("Ended this far from its end in the recording")});
    distances_->verticalHeader()->hide();
    distances_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    int row = 0;
    for (const MeshEnd& end : comparison.ends) {
        const int index = end.index >= 0 ? end.index : end.recordedIndex;
        distances_->setItem(
            row, 0,
            new QTableWidgetItem(
                QStringLiteral("%1 (%2)").arg(QString::fromStdString(end.name)).arg(index)));
        distances_->setItem(row, 1, new QTableWidgetItem(distanceText(end)));
        ++row;
    }
    distances_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    distances_->setMinimumWidth(420);
    // Every object in sight without scrolling, up to a dozen.
    const int shown = std::min(distances_->rowCount(), 12);
    distances_->setMinimumHeight(distances_->horizontalHeader()->sizeHint().height() +
                                 shown * distances_->verticalHeader()->defaultSectionSize() +
                                 2 * distances_->frameWidth());
    layout->addWidget(distances_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QString ReplayResultDialog::distanceText(const MeshEnd& end) {
    if (end.index < 0) {
        return tr("no longer placed");
    }
    if (end.recordedIndex < 0) {
        return tr("not in the recording");
    }
    if (end.same) {
        return tr("0 (exactly as recorded)");
    }
    if (end.distance < 0.001) {
        return tr("less than 0.001");
    }
    return QString::number(end.distance, 'f', 3);
}

QString ReplayResultDialog::summary(const DriveComparison& comparison, const QString& driven) {
    if (comparison.identical()) {
        return tr("Replayed %n frame(s): the %1 kept to its recorded path in every frame, and "
                  "every object ended exactly where it ended in the recording.",
                  nullptr, comparison.frames)
            .arg(driven);
    }
    const QString path = comparison.firstDeparture < 0
                             ? tr("the %1 kept to its recorded path").arg(driven)
                             : tr("the %1 left its recorded path at frame %2 (at most %3 from it)")
                                   .arg(driven)
                                   .arg(comparison.firstDeparture)
                                   .arg(comparison.widestDeparture, 0, 'f', 3);
    return tr("Replayed %n frame(s): %1; the objects ended up to %2 from where they ended "
              "in the recording.",
              nullptr, comparison.frames)
        .arg(path)
        .arg(comparison.farthestEnd(), 0, 'f', 3);
}
