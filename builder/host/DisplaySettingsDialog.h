#pragma once

#include <QDialog>

#include "host/DisplaySettings.h"

class QComboBox;
class QRadioButton;

// The modal "Direct3D Settings" dialog. Each list is filled from the choice in the one
// above it (adapter, device, windowed or full screen, adapter format, resolution,
// refresh rate, back buffer, depth/stencil, multisample type and quality, vertex
// processing, present interval); a change refills every list below and keeps the
// earlier choice where it is still offered.
class DisplaySettingsDialog : public QDialog {
    Q_OBJECT
public:
    DisplaySettingsDialog(const DisplayEnumeration& enumeration, const DisplaySettings& settings,
                          QWidget* parent = nullptr);

    // The settings as the dialog shows them now.
    DisplaySettings settings() const;

    QComboBox* adapterList() const { return adapter_; }
    QComboBox* deviceList() const { return device_; }
    QRadioButton* windowedButton() const { return windowed_; }
    QRadioButton* fullscreenButton() const { return fullscreen_; }
    QComboBox* multisampleList() const { return multisampleType_; }
    QComboBox* presentIntervalList() const { return presentInterval_; }
    QComboBox* resolutionList() const { return resolution_; }

private:
    enum Level {
        kAdapter,
        kDevice,
        kWindowed,
        kAdapterFormat,
        kResolution,
        kRefreshRate,
        kBackBuffer,
        kDepthStencil,
        kMultisampleType,
        kMultisampleQuality,
        kVertexProcessing,
        kPresentInterval,
    };

    // Refills every list below the given one.
    void refillBelow(Level level);
    const AdapterInfo* currentAdapter() const;
    const DeviceInfo* currentDevice() const;
    const DeviceCombo* currentCombo() const;
    bool isWindowedChosen() const;

    const DisplayEnumeration& enumeration_;
    DisplaySettings settings_;
    bool refilling_ = false;

    QComboBox* adapter_;
    QComboBox* device_;
    QRadioButton* windowed_;
    QRadioButton* fullscreen_;
    QComboBox* adapterFormat_;
    QComboBox* resolution_;
    QComboBox* refreshRate_;
    QComboBox* backBuffer_;
    QComboBox* depthStencil_;
    QComboBox* multisampleType_;
    QComboBox* multisampleQuality_;
    QComboBox* vertexProcessing_;
    QComboBox* presentInterval_;
};
