// The window in which the user sees and changes which key, button or axis of each device
// drives each action: a table of actions by devices. Choose a cell, press "Assign", then
// press the key or button, or move the axis, on that device. Esc cancels the wait. The
// two configuration keys (F2, F3) stay where they are.
#pragma once

#include "dinput/dinput_host.h"

#include <QDialog>

#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

class InputConfigDialog final : public QDialog {
    Q_OBJECT
public:
    // Edits session's per-device actions in place.
    InputConfigDialog(DIConfigureSession& session, QWidget* parent = nullptr);
    ~InputConfigDialog() override;

    // Whether the dialog waits for a key, button or axis.
    bool isCapturing() const { return m_capture.has_value(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Control {
        DWORD objId;
        bool axis;
        QString name;
    };
    struct Capture {
        int row;
        int column;
        std::vector<LONG> baseline;
    };

    void startCapture();
    void stopCapture(const QString& message);
    void pollControllers();
    void keyCaptured(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode);
    void assign(int row, int column, DWORD objId);
    void clearSelected();
    void restoreDefaults();
    void refresh();
    void updateButtons();

    bool isFixed(int row) const;
    bool wantsAxis(int row) const;
    bool isKeyboard(int column) const;
    bool isBound(const DIConfigureDevice& device, int row) const;
    QString controlName(int column, DWORD objId) const;

    DIConfigureSession& m_session;
    std::vector<std::vector<Control>> m_controls; // per device
    std::optional<Capture> m_capture;

    QTableWidget* m_table = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_assign = nullptr;
    QPushButton* m_clear = nullptr;
    QTimer* m_poll = nullptr;
};
