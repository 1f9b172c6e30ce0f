#include "engine/SystemServices.h"

#include <ctime>

namespace velt {

TimeOfDay SystemClock::Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != m_cachedSecond) {
        tm local{};
        const std::time_t seconds = now.tv_sec;
        localtime_r(&seconds, &local);
        m_cached = TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec, 0};
        m_cachedSecond = now.tv_sec;
    }
    TimeOfDay result = m_cached;
    result.nanosecond = static_cast<std::uint32_t>(now.tv_nsec);
    return result;
}

std::optional<std::string> MemorySettingsStore::Read(const std::string& key) {
    const auto found = m_values.find(key);
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}

void MemorySettingsStore::Write(const std::string& key, const std::string& value) {
    m_values[key] = value;
}

} // namespace velt
