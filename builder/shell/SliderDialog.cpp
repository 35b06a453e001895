#include "shell/SliderDialog.h"

#include <QCoreApplication>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

SliderDialog::SliderDialog(const QString& title, UINT message, const SliderSpec& first,
                           const SliderSpec& second, QWidget* parent)
    : QDialog(parent), message_(message) {
    setWindowTitle(title);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* grid = new QGridLayout(this);
    const auto addRow = [this, grid](int row, const SliderSpec& spec, QSlider** slider,
                                     QLineEdit** edit, int* value) {
        // The labels come from the form, which marks them for translation.
        auto* label = new QLabel(QCoreApplication::translate("AppForm", spec.label), this);
        *slider = new QSlider(Qt::Horizontal, this);
        (*slider)->setObjectName(QString::number(spec.id));
        (*slider)->setRange(spec.minimum, spec.maximum);
        (*slider)->setTickInterval(spec.tickInterval);
        (*slider)->setTickPosition(QSlider::TicksBelow);
        (*slider)->setPageStep(spec.tickInterval);
        (*slider)->setValue(0);
        (*slider)->setMinimumWidth(220);
        *edit = new QLineEdit(this);
        (*edit)->setObjectName(QString::number(spec.editId));
        (*edit)->setMaximumWidth(56);
        label->setBuddy(*slider);
        grid->addWidget(label, row, 0);
        grid->addWidget(*slider, row, 1);
        grid->addWidget(*edit, row, 2);
        QLineEdit* shown = *edit;
        connect(*slider, &QSlider::valueChanged, this, [shown, value](int position) {
            *value = position;
            shown->setText(QString::asprintf("%d", position));
        });
    };
    addRow(0, first, &first_, &firstEdit_, &firstValue_);
    addRow(1, second, &second_, &secondEdit_, &secondValue_);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    grid->addWidget(ok, 2, 2);
    connect(ok, &QPushButton::clicked, this, [this] {
        emit posted(message_, static_cast<UINT>(firstValue_), static_cast<LONG>(secondValue_));
        accept();
    });
}
