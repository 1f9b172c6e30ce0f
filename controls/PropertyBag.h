#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

namespace velt {

/// Named values a control stores its design in; a missing name reads as the given default.
class PropertyBag {
public:
    virtual ~PropertyBag() = default;
    virtual QVariant read(const QString& name, const QVariant& defaultValue) const = 0;
    virtual void write(const QString& name, const QVariant& value) = 0;
};

/// A bag held in memory, from which the windows build their buttons.
class MemoryPropertyBag final : public PropertyBag {
public:
    MemoryPropertyBag() = default;
    explicit MemoryPropertyBag(QVariantMap values) : m_values(std::move(values)) {}

    QVariant read(const QString& name, const QVariant& defaultValue) const override {
        return m_values.value(name, defaultValue);
    }
    void write(const QString& name, const QVariant& value) override { m_values.insert(name, value); }

    const QVariantMap& values() const { return m_values; }

private:
    QVariantMap m_values;
};

} // namespace velt
