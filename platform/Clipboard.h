#pragma once

#include <QMetaObject>
#include <QString>
#include <cstdint>
#include <optional>

namespace velt::platform {

/// The clipboard as the windows use it: test for text, read, clear, set.
class IClipboard {
public:
    virtual ~IClipboard() = default;
    /// True when the clipboard offers text; the text itself is not fetched.
    virtual bool HasText() = 0;
    /// The clipboard's text, empty when it holds none.
    virtual QString Text() = 0;
    virtual void Clear() = 0;
    /// Replaces the clipboard's content with `text`.
    virtual void SetText(const QString& text) = 0;
    /// A number that changes whenever the clipboard's content changes, so that a follower
    /// asks nothing while it stays the same; nullopt where changes cannot be seen.
    virtual std::optional<std::uint64_t> ChangeCount() { return std::nullopt; }
};

/// The system clipboard.
class SystemClipboard final : public IClipboard {
public:
    SystemClipboard();
    ~SystemClipboard() override;
    SystemClipboard(const SystemClipboard&) = delete;
    SystemClipboard& operator=(const SystemClipboard&) = delete;

    bool HasText() override;
    QString Text() override;
    void Clear() override;
    void SetText(const QString& text) override;
    std::optional<std::uint64_t> ChangeCount() override { return m_changes; }

private:
    std::uint64_t m_changes = 0;
    QMetaObject::Connection m_watch;
};

} // namespace velt::platform
