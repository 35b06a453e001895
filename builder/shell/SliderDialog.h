#pragma once

#include <QDialog>

#include "win32/win32.h"

class QLineEdit;
class QSlider;

// A small modeless dialog with two sliders (a height and an angle) whose OK posts one
// message with the two positions to the form. Each slider writes its position into
// the edit beside it; a number typed into an edit and confirmed (Return or leaving
// the edit) moves its slider, within the slider's range. Return in an edit does not
// press OK.
class SliderDialog : public QDialog {
    Q_OBJECT
public:
    struct SliderSpec {
        const char* label;
        int id;     // the slider's control id, also its object name
        int editId; // the edit's
        int minimum;
        int maximum;
        int tickInterval;
    };

    SliderDialog(const QString& title, UINT message, const SliderSpec& first,
                 const SliderSpec& second, QWidget* parent);

    QSlider* firstSlider() const { return first_; }
    QSlider* secondSlider() const { return second_; }
    QLineEdit* firstEdit() const { return firstEdit_; }
    QLineEdit* secondEdit() const { return secondEdit_; }
    UINT message() const { return message_; }
    // Puts the sliders at these positions, as if the user had moved them there.
    void setValues(int first, int second);

signals:
    // OK: wParam is the first slider's last position, lParam the second's (0 for a
    // slider that was not moved).
    void posted(UINT message, UINT wParam, LONG lParam);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves the slider to the number typed into its edit.
    static void confirmTyped(QLineEdit* edit, QSlider* slider);

    UINT message_;
    QSlider* first_;
    QSlider* second_;
    QLineEdit* firstEdit_;
    QLineEdit* secondEdit_;
    int firstValue_ = 0;
    int secondValue_ = 0;
};
