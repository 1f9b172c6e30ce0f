#include "platform/SettingsStore.h"

namespace velt::platform {
namespace {
QString SectionKey(const std::string& key) {
    return QStringLiteral("Option/") + QString::fromStdString(key);
}
} // namespace

SettingsStore::SettingsStore()
    : m_settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("VELT"),
                 QStringLiteral("VELT")) {}

SettingsStore::SettingsStore(const QString& path) : m_settings(path, QSettings::IniFormat) {}

std::optional<std::string> SettingsStore::Read(const std::string& key) {
    const QVariant value = m_settings.value(SectionKey(key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void SettingsStore::Write(const std::string& key, const std::string& value) {
    m_settings.setValue(SectionKey(key), QString::fromStdString(value));
    // Written through at once: the process may end without running destructors.
    m_settings.sync();
}

} // namespace velt::platform
