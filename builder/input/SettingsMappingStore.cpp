#include "input/SettingsMappingStore.h"

#include <QStringList>

namespace {

QString keyOf(const std::string& actionMap, const std::string& device) {
    return QStringLiteral("InputBindings/%1/%2")
        .arg(QString::fromStdString(actionMap), QString::fromStdString(device));
}

} // namespace

SettingsMappingStore::SettingsMappingStore(std::unique_ptr<QSettings> settings)
    : m_settings(std::move(settings)) {}

std::optional<std::vector<DIUserBinding>> SettingsMappingStore::load(const std::string& actionMap,
                                                                     const std::string& device) {
    const QString key = keyOf(actionMap, device);
    if (!m_settings->contains(key)) {
        return std::nullopt;
    }
    std::vector<DIUserBinding> bindings;
    const QString text = m_settings->value(key).toString();
    for (const QString& pair : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList parts = pair.split(QLatin1Char(':'));
        bool actionOk = false;
        bool objectOk = false;
        if (parts.size() != 2) {
            continue;
        }
        const uint action = parts[0].toUInt(&actionOk);
        const uint object = parts[1].toUInt(&objectOk, 16);
        // An entry edited by hand into nonsense is skipped, not fatal.
        if (actionOk && objectOk) {
            bindings.push_back({action, object});
        }
    }
    return bindings;
}

void SettingsMappingStore::save(const std::string& actionMap, const std::string& device,
                                const std::vector<DIUserBinding>& bindings) {
    QStringList pairs;
    for (const DIUserBinding& binding : bindings) {
        pairs << QStringLiteral("%1:%2").arg(binding.action).arg(binding.objId, 0, 16);
    }
    m_settings->setValue(keyOf(actionMap, device), pairs.join(QLatin1Char(' ')));
    m_settings->sync();
}
