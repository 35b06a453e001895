#include "input/InputConfigDialog.h"

#include "input/QtScanCodes.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <cstdlib>

namespace {

// How far an axis must travel, in the format's units (-100..100), before it counts as
// the one the user means; small drift of a resting stick stays below it.
constexpr LONG kAxisCaptureTravel = 50;
constexpr int kPollMilliseconds = 30;

BOOL collectControl(LPCDIDEVICEOBJECTINSTANCEA object, LPVOID list) {
    static_cast<std::vector<DIDEVICEOBJECTINSTANCEA>*>(list)->push_back(*object);
    return DIENUM_CONTINUE;
}

bool sameObject(DWORD a, DWORD b) {
    return ((a & DIDFT_AXIS) != 0) == ((b & DIDFT_AXIS) != 0) &&
           DIDFT_GETINSTANCE(a) == DIDFT_GETINSTANCE(b);
}

} // namespace

InputConfigDialog::InputConfigDialog(DIConfigureSession& session, QWidget* parent)
    : QDialog(parent), m_session(session) {
    setWindowTitle(tr("Configure Input"));
    setObjectName(QStringLiteral("InputConfigDialog"));

    for (const DIConfigureDevice& device : m_session.devices) {
        std::vector<DIDEVICEOBJECTINSTANCEA> objects;
        device.device->EnumObjects(&collectControl, &objects, DIDFT_ALL);
        std::vector<Control> controls;
        for (const DIDEVICEOBJECTINSTANCEA& object : objects) {
            controls.push_back({object.dwType, (object.dwType & DIDFT_AXIS) != 0,
                                QString::fromUtf8(object.tszName)});
        }
        m_controls.push_back(std::move(controls));
    }

    auto* intro = new QLabel(
        tr("Choose an action under a device and press Assign, then press the key or button, "
           "or move the axis, that should drive it."),
        this);
    intro->setWordWrap(true);

    const int rows = static_cast<int>(m_session.format->dwNumActions);
    const int columns = static_cast<int>(m_session.devices.size());
    m_table = new QTableWidget(rows, columns, this);
    m_table->setObjectName(QStringLiteral("bindings"));
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QStringList actionNames;
    for (int row = 0; row < rows; ++row) {
        actionNames << QCoreApplication::translate(
            "GameActions", m_session.format->rgoAction[row].lptszActionName);
    }
    QStringList deviceNames;
    for (int column = 0; column < columns; ++column) {
        // A controller is called by its maker's name; the keyboard is the user's word.
        deviceNames << (isKeyboard(column)
                            ? tr("Keyboard")
                            : QString::fromUtf8(
                                  m_session.devices[column].instance.tszInstanceName));
    }
    m_table->setVerticalHeaderLabels(actionNames);
    m_table->setHorizontalHeaderLabels(deviceNames);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);

    m_assign = new QPushButton(tr("&Assign"), this);
    m_assign->setObjectName(QStringLiteral("assign"));
    m_clear = new QPushButton(tr("&Clear"), this);
    m_clear->setObjectName(QStringLiteral("clear"));
    auto* defaults = new QPushButton(tr("&Defaults"), this);
    defaults->setObjectName(QStringLiteral("defaults"));
    // Enter and Esc are keys one may want to bind; no button takes them by default.
    for (QPushButton* button : {m_assign, m_clear, defaults}) {
        button->setAutoDefault(false);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttons"));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(m_session.edit);

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(m_assign);
    editRow->addWidget(m_clear);
    editRow->addWidget(defaults);
    editRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_table);
    layout->addWidget(m_status);
    layout->addLayout(editRow);
    layout->addWidget(buttons);

    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMilliseconds);

    connect(m_assign, &QPushButton::clicked, this, &InputConfigDialog::startCapture);
    connect(m_clear, &QPushButton::clicked, this, &InputConfigDialog::clearSelected);
    connect(defaults, &QPushButton::clicked, this, &InputConfigDialog::restoreDefaults);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &InputConfigDialog::updateButtons);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this] { startCapture(); });
    connect(m_poll, &QTimer::timeout, this, &InputConfigDialog::pollControllers);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Keys are taken from the window before any widget sees them, so that arrows and
    // Tab can be bound like any other key while the dialog waits for one.
    qApp->installEventFilter(this);

    refresh();
    updateButtons();
    resize(160 + 150 * std::max(columns, 1), 560);
}

InputConfigDialog::~InputConfigDialog() {
    qApp->removeEventFilter(this);
}

bool InputConfigDialog::isFixed(int row) const {
    return (m_session.format->rgoAction[row].dwFlags & DIA_APPFIXED) != 0;
}

bool InputConfigDialog::wantsAxis(int row) const {
    return DISEM_TYPE(m_session.format->rgoAction[row].dwSemantic) == DISEM_TYPE_AXIS;
}

bool InputConfigDialog::isKeyboard(int column) const {
    return GET_DIDEVICE_TYPE(m_session.devices[column].instance.dwDevType) == DI8DEVTYPE_KEYBOARD;
}

bool InputConfigDialog::isBound(const DIConfigureDevice& device, int row) const {
    const DIACTIONA& action = device.actions[row];
    return action.guidInstance == device.instance.guidInstance && action.dwHow != DIAH_UNMAPPED &&
           (action.dwHow & DIAH_ERROR) == 0;
}

QString InputConfigDialog::controlName(int column, DWORD objId) const {
    for (const Control& control : m_controls[column]) {
        if (sameObject(control.objId, objId)) {
            return control.name;
        }
    }
    return tr("?");
}

void InputConfigDialog::refresh() {
    for (int column = 0; column < m_table->columnCount(); ++column) {
        const DIConfigureDevice& device = m_session.devices[column];
        for (int row = 0; row < m_table->rowCount(); ++row) {
            const QString text =
                isBound(device, row) ? controlName(column, device.actions[row].dwObjID) : QString();
            auto* item = new QTableWidgetItem(text);
            if (isFixed(row) || !m_session.edit) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setToolTip(tr("Kept by the program"));
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            m_table->setItem(row, column, item);
        }
    }
}

void InputConfigDialog::updateButtons() {
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    const bool editable = !selected.isEmpty() && !m_capture;
    m_assign->setEnabled(editable);
    m_clear->setEnabled(editable);
}

void InputConfigDialog::startCapture() {
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    if (selected.isEmpty() || m_capture || !m_session.edit) {
        return;
    }
    const int row = selected.front()->row();
    const int column = selected.front()->column();
    if (isFixed(row)) {
        return;
    }
    const QString action = m_table->verticalHeaderItem(row)->text();
    const QString device = m_table->horizontalHeaderItem(column)->text();
    const bool hasFitting = std::any_of(m_controls[column].begin(), m_controls[column].end(),
                                        [&](const Control& c) { return c.axis == wantsAxis(row); });
    if (!hasFitting) {
        m_status->setText(wantsAxis(row) ? tr("%1 has no axis for \"%2\".").arg(device, action)
                                         : tr("%1 has no button for \"%2\".").arg(device, action));
        return;
    }
    Capture capture{row, column, {}};
    for (const Control& control : m_controls[column]) {
        LONG value = 0;
        m_session.devices[column].device->GetObjectState(control.objId, &value);
        capture.baseline.push_back(value);
    }
    m_capture = std::move(capture);
    if (isKeyboard(column)) {
        m_status->setText(tr("Press the key for \"%1\" (Esc cancels).").arg(action));
    } else if (wantsAxis(row)) {
        m_status->setText(tr("Move the axis for \"%1\" on %2 (Esc cancels).").arg(action, device));
        m_poll->start();
    } else {
        m_status->setText(
            tr("Press the button for \"%1\" on %2 (Esc cancels).").arg(action, device));
        m_poll->start();
    }
    updateButtons();
}

void InputConfigDialog::stopCapture(const QString& message) {
    m_capture.reset();
    m_poll->stop();
    m_status->setText(message);
    updateButtons();
}

bool InputConfigDialog::eventFilter(QObject* watched, QEvent* event) {
    if (!m_capture ||
        (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)) {
        return QDialog::eventFilter(watched, event);
    }
    const bool ours = (watched->isWindowType() && watched == windowHandle()) ||
                      (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this);
    if (!ours) {
        return QDialog::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Claim the key so that no shortcut of any window fires while we wait for one.
        key->accept();
        return true;
    }
    if (!key->isAutoRepeat()) {
        keyCaptured(key->key(), key->modifiers(), key->nativeScanCode());
    }
    return true;
}

void InputConfigDialog::keyCaptured(int key, Qt::KeyboardModifiers modifiers,
                                    quint32 nativeScanCode) {
    if (key == Qt::Key_Escape) {
        stopCapture(tr("Nothing changed."));
        return;
    }
    if (!isKeyboard(m_capture->column)) {
        return;
    }
    const QString platform = QGuiApplication::platformName();
    const bool evdev = platform == QLatin1String("xcb") || platform.startsWith("wayland");
    const BYTE scanCode = scanCodeOfKey(key, modifiers, nativeScanCode, evdev);
    const DWORD objId = DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(scanCode);
    if (scanCode == 0 || DInputKeyName(scanCode) == nullptr) {
        m_status->setText(tr("That key cannot be used; press another one (Esc cancels)."));
        return;
    }
    assign(m_capture->row, m_capture->column, objId);
}

void InputConfigDialog::pollControllers() {
    if (!m_capture || isKeyboard(m_capture->column)) {
        return;
    }
    const DIConfigureDevice& device = m_session.devices[m_capture->column];
    const bool axis = wantsAxis(m_capture->row);
    const std::vector<Control>& controls = m_controls[m_capture->column];
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].axis != axis) {
            continue;
        }
        LONG value = 0;
        if (FAILED(device.device->GetObjectState(controls[i].objId, &value))) {
            continue;
        }
        const LONG before = m_capture->baseline[i];
        const bool moved = axis ? std::labs(value) >= kAxisCaptureTravel &&
                                      std::labs(value - before) >= kAxisCaptureTravel
                                : value != 0 && before == 0;
        if (moved) {
            assign(m_capture->row, m_capture->column, controls[i].objId);
            return;
        }
        m_capture->baseline[i] = axis ? before : value;
    }
}

void InputConfigDialog::assign(int row, int column, DWORD objId) {
    DIConfigureDevice& device = m_session.devices[column];
    const QString name = controlName(column, objId);
    for (int other = 0; other < static_cast<int>(device.actions.size()); ++other) {
        if (other == row || !isBound(device, other) ||
            !sameObject(device.actions[other].dwObjID, objId)) {
            continue;
        }
        if (isFixed(other)) {
            stopCapture(
                tr("%1 is kept for \"%2\".").arg(name, m_table->verticalHeaderItem(other)->text()));
            return;
        }
    }
    // One control drives one action on a device: whatever it drove before lets go.
    for (int other = 0; other < static_cast<int>(device.actions.size()); ++other) {
        if (other != row && isBound(device, other) &&
            sameObject(device.actions[other].dwObjID, objId)) {
            device.actions[other].guidInstance = GUID_NULL;
            device.actions[other].dwObjID = 0;
            device.actions[other].dwHow = DIAH_UNMAPPED;
        }
    }
    DIACTIONA& action = device.actions[row];
    action.guidInstance = device.instance.guidInstance;
    action.dwObjID = objId;
    action.dwHow = DIAH_USERCONFIG;
    refresh();
    m_table->setCurrentCell(row, column);
    stopCapture(tr("\"%1\" is now %2.").arg(m_table->verticalHeaderItem(row)->text(), name));
}

void InputConfigDialog::clearSelected() {
    const QList<QTableWidgetItem*> selected = m_table->selectedItems();
    if (selected.isEmpty() || m_capture) {
        return;
    }
    const int row = selected.front()->row();
    const int column = selected.front()->column();
    if (isFixed(row)) {
        return;
    }
    DIACTIONA& action = m_session.devices[column].actions[row];
    action.guidInstance = GUID_NULL;
    action.dwObjID = 0;
    action.dwHow = DIAH_UNMAPPED;
    refresh();
    m_table->setCurrentCell(row, column);
}

void InputConfigDialog::restoreDefaults() {
    if (m_capture) {
        stopCapture(QString());
    }
    for (DIConfigureDevice& device : m_session.devices) {
        std::vector<DIACTIONA> actions(m_session.format->rgoAction,
                                       m_session.format->rgoAction +
                                           m_session.format->dwNumActions);
        DIACTIONFORMATA format = *m_session.format;
        format.rgoAction = actions.data();
        device.device->BuildActionMap(&format, nullptr, DIDBAM_HWDEFAULTS);
        device.actions = std::move(actions);
    }
    refresh();
    m_status->setText(tr("Every device is back to its first bindings."));
}
