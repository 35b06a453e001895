// The user's bindings in QSettings, so that they survive a restart: one entry per action
// map and kind of device, "InputBindings/<map GUID>/<product GUID>", holding the bound
// actions as "index:object id" pairs.
#pragma once

#include "dinput/dinput_host.h"

#include <QSettings>

#include <memory>

class SettingsMappingStore final : public DIUserMappingStore {
public:
    explicit SettingsMappingStore(std::unique_ptr<QSettings> settings);

    std::optional<std::vector<DIUserBinding>> load(const std::string& actionMap,
                                                   const std::string& device) override;
    void save(const std::string& actionMap, const std::string& device,
              const std::vector<DIUserBinding>& bindings) override;

    QSettings& settings() { return *m_settings; }

private:
    std::unique_ptr<QSettings> m_settings;
};
