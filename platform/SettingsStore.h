#pragma once

#include "engine/Platform.h"

#include <QSettings>
#include <QString>

namespace velt::platform {

/// The per-user settings of application VELT, section Option, kept by QSettings.
class SettingsStore final : public ISettingsStore {
public:
    /// The user's own store.
    SettingsStore();
    /// A store in the INI file `path`, for tests.
    explicit SettingsStore(const QString& path);

    std::optional<std::string> Read(const std::string& key) override;
    void Write(const std::string& key, const std::string& value) override;

private:
    QSettings m_settings;
};

} // namespace velt::platform
