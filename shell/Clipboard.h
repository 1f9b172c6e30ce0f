#pragma once

#include <QString>

namespace velt::shell {

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
};

/// The system clipboard.
class SystemClipboard final : public IClipboard {
public:
    bool HasText() override;
    QString Text() override;
    void Clear() override;
    void SetText(const QString& text) override;
};

} // namespace velt::shell
