#include "host/DisplaySettingsDialog.h"

#include <QCoreApplication>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <set>

namespace {

// Fills a list with (text, value) pairs and selects the value chosen before if it is
// still offered, the first entry otherwise.
void fillList(QComboBox* list, const std::vector<std::pair<std::string, qlonglong>>& entries,
              qlonglong previous) {
    list->clear();
    int selected = 0;
    for (const auto& [text, value] : entries) {
        if (value == previous) {
            selected = list->count();
        }
        list->addItem(QString::fromStdString(text), value);
    }
    list->setCurrentIndex(entries.empty() ? -1 : selected);
}

void showNotUsed(QComboBox* list) {
    list->clear();
    list->addItem(QCoreApplication::translate("DisplaySettingsDialog", "(not used)"), -1);
    list->setEnabled(false);
}

qlonglong valueOf(const QComboBox* list) {
    return list->currentIndex() < 0 ? -1 : list->currentData().toLongLong();
}

qlonglong modeKey(int width, int height) {
    return (static_cast<qlonglong>(width) << 20) | height;
}

} // namespace

DisplaySettingsDialog::DisplaySettingsDialog(const DisplayEnumeration& enumeration,
                                             const DisplaySettings& settings, QWidget* parent)
    : QDialog(parent), enumeration_(enumeration), settings_(settings) {
    setWindowTitle(tr("Direct3D Settings"));
    setModal(true);

    const auto makeList = [this](const char* name) {
        auto* list = new QComboBox(this);
        list->setObjectName(QString::fromLatin1(name));
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        list->setMinimumWidth(260);
        return list;
    };
    adapter_ = makeList("adapter");
    device_ = makeList("device");
    adapterFormat_ = makeList("adapterFormat");
    resolution_ = makeList("resolution");
    refreshRate_ = makeList("refreshRate");
    backBuffer_ = makeList("backBufferFormat");
    depthStencil_ = makeList("depthStencilFormat");
    multisampleType_ = makeList("multisampleType");
    multisampleQuality_ = makeList("multisampleQuality");
    vertexProcessing_ = makeList("vertexProcessing");
    presentInterval_ = makeList("presentInterval");
    windowed_ = new QRadioButton(tr("&Windowed"), this);
    fullscreen_ = new QRadioButton(tr("&Fullscreen"), this);

    auto* form = new QFormLayout;
    const auto addRow = [this, form](const char* label, QWidget* field) {
        auto* text = new QLabel(tr(label), this);
        text->setBuddy(field);
        form->addRow(text, field);
    };
    addRow(QT_TR_NOOP("Display &Adapter:"), adapter_);
    addRow(QT_TR_NOOP("Render &Device:"), device_);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(windowed_);
    modeRow->addWidget(fullscreen_);
    modeRow->addStretch();
    form->addRow(QString(), modeRow);
    addRow(QT_TR_NOOP("Adapter F&ormat:"), adapterFormat_);
    addRow(QT_TR_NOOP("&Resolution:"), resolution_);
    addRow(QT_TR_NOOP("R&efresh Rate:"), refreshRate_);
    addRow(QT_TR_NOOP("&Back Buffer Format:"), backBuffer_);
    addRow(QT_TR_NOOP("De&pth/Stencil Buffer Format:"), depthStencil_);
    addRow(QT_TR_NOOP("&Multisample Type:"), multisampleType_);
    addRow(QT_TR_NOOP("Multisample &Quality:"), multisampleQuality_);
    addRow(QT_TR_NOOP("&Vertex Processing:"), vertexProcessing_);
    addRow(QT_TR_NOOP("Present &Interval:"), presentInterval_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // Fill from the top: the first list from the enumeration, the rest by the chain.
    std::vector<std::pair<std::string, qlonglong>> adapters;
    for (const auto& adapter : enumeration_.adapters) {
        adapters.emplace_back(adapter.description, adapter.ordinal);
    }
    refilling_ = true;
    fillList(adapter_, adapters, settings_.current().adapter);
    refilling_ = false;
    refillBelow(kAdapter);

    const std::vector<std::pair<QComboBox*, Level>> chain = {
        {adapter_, kAdapter},
        {device_, kDevice},
        {adapterFormat_, kAdapterFormat},
        {resolution_, kResolution},
        {refreshRate_, kRefreshRate},
        {backBuffer_, kBackBuffer},
        {depthStencil_, kDepthStencil},
        {multisampleType_, kMultisampleType},
        {multisampleQuality_, kMultisampleQuality},
        {vertexProcessing_, kVertexProcessing},
    };
    for (const auto& [list, level] : chain) {
        connect(list, &QComboBox::currentIndexChanged, this, [this, level = level] {
            if (!refilling_) {
                refillBelow(level);
            }
        });
    }
    connect(windowed_, &QRadioButton::toggled, this, [this] {
        if (!refilling_) {
            refillBelow(kWindowed);
        }
    });
}

const AdapterInfo* DisplaySettingsDialog::currentAdapter() const {
    const qlonglong ordinal = valueOf(adapter_);
    for (const auto& adapter : enumeration_.adapters) {
        if (adapter.ordinal == ordinal) {
            return &adapter;
        }
    }
    return nullptr;
}

const DeviceInfo* DisplaySettingsDialog::currentDevice() const {
    const AdapterInfo* adapter = currentAdapter();
    if (adapter == nullptr) {
        return nullptr;
    }
    for (const auto& device : adapter->devices) {
        if (device.type == static_cast<D3DDEVTYPE>(valueOf(device_))) {
            return &device;
        }
    }
    return nullptr;
}

bool DisplaySettingsDialog::isWindowedChosen() const {
    return windowed_->isChecked();
}

const DeviceCombo* DisplaySettingsDialog::currentCombo() const {
    const DeviceInfo* device = currentDevice();
    if (device == nullptr) {
        return nullptr;
    }
    for (const auto& combo : device->combos) {
        if (combo.windowed == isWindowedChosen() &&
            combo.adapterFormat == static_cast<D3DFORMAT>(valueOf(adapterFormat_)) &&
            combo.backBufferFormat == static_cast<D3DFORMAT>(valueOf(backBuffer_))) {
            return &combo;
        }
    }
    return nullptr;
}

void DisplaySettingsDialog::refillBelow(Level level) {
    refilling_ = true;
    const AdapterInfo* adapter = currentAdapter();
    const DisplaySettingsRecord& previous = settings_.current();
    using Entries = std::vector<std::pair<std::string, qlonglong>>;

    if (level < kDevice && adapter != nullptr) {
        Entries devices;
        for (const auto& device : adapter->devices) {
            devices.emplace_back(deviceTypeText(device.type), device.type);
        }
        fillList(device_, devices, previous.deviceType);
    }
    const DeviceInfo* device = currentDevice();

    if (level < kWindowed) {
        bool canWindow = false;
        bool canFullscreen = false;
        if (device != nullptr) {
            for (const auto& combo : device->combos) {
                (combo.windowed ? canWindow : canFullscreen) = true;
            }
        }
        windowed_->setEnabled(canWindow);
        fullscreen_->setEnabled(canFullscreen);
        const bool windowed = (settings_.windowed && canWindow) || !canFullscreen;
        windowed_->setChecked(windowed);
        fullscreen_->setChecked(!windowed);
    }
    const bool windowed = isWindowedChosen();
    const DisplaySettingsRecord& chosen =
        windowed ? settings_.windowedSettings : settings_.fullscreenSettings;

    if (level < kAdapterFormat) {
        Entries formats;
        if (windowed && adapter != nullptr) {
            formats.emplace_back(displayFormatText(adapter->desktopMode.format),
                                 adapter->desktopMode.format);
        } else if (device != nullptr) {
            std::set<D3DFORMAT> seen;
            for (const auto& combo : device->combos) {
                if (!combo.windowed && seen.insert(combo.adapterFormat).second) {
                    formats.emplace_back(displayFormatText(combo.adapterFormat),
                                         combo.adapterFormat);
                }
            }
        }
        fillList(adapterFormat_, formats, chosen.adapterFormat);
        adapterFormat_->setEnabled(!windowed);
    }
    const auto format = static_cast<D3DFORMAT>(valueOf(adapterFormat_));

    if (level < kResolution) {
        if (windowed || adapter == nullptr) {
            showNotUsed(resolution_);
        } else {
            Entries resolutions;
            std::set<qlonglong> seen;
            for (const auto& mode : adapter->modes) {
                const qlonglong key = modeKey(mode.width, mode.height);
                if (mode.format == format && seen.insert(key).second) {
                    resolutions.emplace_back(resolutionText(mode.width, mode.height), key);
                }
            }
            fillList(resolution_, resolutions, modeKey(chosen.mode.width, chosen.mode.height));
            resolution_->setEnabled(true);
        }
    }

    if (level < kRefreshRate) {
        if (windowed || adapter == nullptr) {
            showNotUsed(refreshRate_);
        } else {
            Entries rates;
            std::set<int> seen;
            for (const auto& mode : adapter->modes) {
                if (mode.format == format &&
                    modeKey(mode.width, mode.height) == valueOf(resolution_) &&
                    seen.insert(mode.refreshRate).second) {
                    rates.emplace_back(refreshRateText(mode.refreshRate), mode.refreshRate);
                }
            }
            fillList(refreshRate_, rates, chosen.mode.refreshRate);
            refreshRate_->setEnabled(true);
        }
    }

    if (level < kBackBuffer) {
        Entries formats;
        if (device != nullptr) {
            for (const auto& combo : device->combos) {
                if (combo.windowed == windowed && combo.adapterFormat == format) {
                    formats.emplace_back(displayFormatText(combo.backBufferFormat),
                                         combo.backBufferFormat);
                }
            }
        }
        fillList(backBuffer_, formats, chosen.backBufferFormat);
    }
    const DeviceCombo* combo = currentCombo();

    if (level < kDepthStencil) {
        Entries formats;
        if (combo != nullptr) {
            for (D3DFORMAT depth : combo->depthStencilFormats) {
                formats.emplace_back(displayFormatText(depth), depth);
            }
        }
        fillList(depthStencil_, formats, chosen.depthStencilFormat);
    }

    if (level < kMultisampleType) {
        Entries types;
        if (combo != nullptr) {
            for (D3DMULTISAMPLE_TYPE type : combo->multisampleTypes) {
                types.emplace_back(multisampleTypeText(type), type);
            }
        }
        fillList(multisampleType_, types, chosen.multisampleType);
    }

    if (level < kMultisampleQuality) {
        Entries qualities;
        if (combo != nullptr) {
            for (std::size_t i = 0; i < combo->multisampleTypes.size(); ++i) {
                if (combo->multisampleTypes[i] == valueOf(multisampleType_)) {
                    for (DWORD q = 0; q < combo->multisampleQualities[i]; ++q) {
                        qualities.emplace_back(std::to_string(q), q);
                    }
                }
            }
        }
        fillList(multisampleQuality_, qualities, chosen.multisampleQuality);
    }

    if (level < kVertexProcessing) {
        Entries types;
        if (combo != nullptr) {
            for (DWORD type : combo->vertexProcessingTypes) {
                types.emplace_back(vertexProcessingText(type), type);
            }
        }
        fillList(vertexProcessing_, types, chosen.vertexProcessing);
    }

    if (level < kPresentInterval) {
        Entries intervals;
        if (combo != nullptr) {
            for (UINT interval : combo->presentIntervals) {
                intervals.emplace_back(presentIntervalText(interval), interval);
            }
        }
        fillList(presentInterval_, intervals, chosen.presentInterval);
    }
    refilling_ = false;
}

DisplaySettings DisplaySettingsDialog::settings() const {
    DisplaySettings result = settings_;
    result.windowed = isWindowedChosen();
    DisplaySettingsRecord& record =
        result.windowed ? result.windowedSettings : result.fullscreenSettings;
    const AdapterInfo* adapter = currentAdapter();
    if (adapter == nullptr) {
        return settings_;
    }
    record.adapter = adapter->ordinal;
    record.deviceType = static_cast<D3DDEVTYPE>(valueOf(device_));
    record.adapterFormat = static_cast<D3DFORMAT>(valueOf(adapterFormat_));
    if (result.windowed) {
        record.mode = adapter->desktopMode;
    } else {
        const qlonglong key = valueOf(resolution_);
        record.mode = {static_cast<int>(key >> 20), static_cast<int>(key & 0xFFFFF),
                       record.adapterFormat, static_cast<int>(valueOf(refreshRate_))};
    }
    record.backBufferFormat = static_cast<D3DFORMAT>(valueOf(backBuffer_));
    record.depthStencilFormat = static_cast<D3DFORMAT>(valueOf(depthStencil_));
    record.multisampleType = static_cast<D3DMULTISAMPLE_TYPE>(valueOf(multisampleType_));
    record.multisampleQuality = static_cast<DWORD>(valueOf(multisampleQuality_));
    record.vertexProcessing = static_cast<DWORD>(valueOf(vertexProcessing_));
    record.presentInterval = static_cast<UINT>(valueOf(presentInterval_));
    return result;
}
