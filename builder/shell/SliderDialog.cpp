#include "shell/SliderDialog.h"

#include <QCoreApplication>

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <algorithm>
#include <tuple>

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
        QSlider* moved = *slider;
        connect(shown, &QLineEdit::editingFinished, this,
                [shown, moved] { confirmTyped(shown, moved); });
        // Return in an edit confirms its number and no more: the dialog's default button
        // would apply the dialog before the other number is typed.
        shown->installEventFilter(this);
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

void SliderDialog::setValues(int first, int second) {
    for (auto [slider, edit, value, position] :
         {std::tuple{first_, firstEdit_, &firstValue_, first},
          std::tuple{second_, secondEdit_, &secondValue_, second}}) {
        slider->setValue(position);
        *value = slider->value();
        edit->setText(QString::number(*value));
    }
}

void SliderDialog::confirmTyped(QLineEdit* edit, QSlider* slider) {
    bool number = false;
    const int typed = edit->text().trimmed().toInt(&number);
    if (number) {
        slider->setValue(std::clamp(typed, slider->minimum(), slider->maximum()));
    }
    // What the slider took is what the edit shows.
    edit->setText(QString::number(slider->value()));
}

bool SliderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == firstEdit_ || watched == secondEdit_)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            watched == firstEdit_ ? confirmTyped(firstEdit_, first_)
                                  : confirmTyped(secondEdit_, second_);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
