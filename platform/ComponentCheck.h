#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace velt::platform {

/// True when a directory search for `path` (which may hold the wildcards * and ?)
/// finds an entry. Normal files are always found; `attributes` adds hidden (2),
/// system (4) and directory (16) entries. Both / and \ separate folders.
bool FileExist(const QString& path, int attributes = 0);

/// A runtime component the program installs into the system folder when it is missing there.
struct RuntimeComponent {
    const char* fileName;
    int resourceId;
};

inline constexpr std::array<RuntimeComponent, 4> kRuntimeComponents{{
    {"Comdlg32.ocx", 101},
    {"Mscomctl.ocx", 102},
    {"Richtx32.ocx", 103},
    {"Tabctl32.ocx", 104},
}};

/// The bytes of the components, by resource id.
class IComponentSource {
public:
    virtual ~IComponentSource() = default;
    /// The component's bytes, or nullopt when the program does not carry it.
    virtual std::optional<QByteArray> Bytes(int resourceId) = 0;
};

/// Components embedded as Qt resources ":/runtime/<id>".
class EmbeddedComponents final : public IComponentSource {
public:
    std::optional<QByteArray> Bytes(int resourceId) override;
};

/// The system folders to look for, each ending in a separator. This toolkit's
/// components are the platform's own, so outside Windows there is none.
QStringList SystemFolderCandidates();

struct ComponentCheckResult {
    QString systemFolder;    ///< empty when none of the candidates exists
    QStringList written;     ///< paths of the components installed
    QString failedComponent; ///< the component that could not be installed, if any
};

/// Installs each missing component into the first candidate folder that exists.
/// Stops at the first component that cannot be installed and names it.
ComponentCheckResult CheckComponents(const QStringList& candidates, IComponentSource& source);

} // namespace velt::platform
