#pragma once

#include <QDateTime>

namespace velt::platform {

/// The date and time the status bar shows.
class IWallClock {
public:
    virtual ~IWallClock() = default;
    virtual QDateTime Now() = 0;
};

class SystemWallClock final : public IWallClock {
public:
    QDateTime Now() override { return QDateTime::currentDateTime(); }
};

} // namespace velt::platform
