#include "engine/KeyGenerator.h"

#include "engine/Errors.h"

#include <cerrno>
#include <cstring>
#include <numeric>
#include <sys/random.h>
#include <utility>

namespace velt {

void SystemRandomBytes(std::span<std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + done, bytes.size() - done, 0);
        if (got > 0) {
            done += static_cast<std::size_t>(got);
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            VeltError failure(ErrorKind::KeyWriteFailed,
                              std::string("no random bytes from the system: ") + std::strerror(errno));
            failure.systemError = errno;
            throw failure;
        }
    }
}

int PermutationSource::Below(int bound) {
    // The largest multiple of bound within 256: bytes from it upwards would favour small results.
    const int fair = 256 - 256 % bound;
    for (;;) {
        if (m_used == m_pool.size()) {
            m_bytes(m_pool);
            m_used = 0;
        }
        const int byte = m_pool[m_used++];
        if (byte < fair) {
            return byte % bound;
        }
    }
}

KeyRecord PermutationSource::Next() {
    KeyRecord record;
    std::iota(record.begin(), record.end(), std::uint8_t{0});
    for (int i = kGridCells - 1; i > 0; --i) {
        std::swap(record[static_cast<std::size_t>(i)], record[static_cast<std::size_t>(Below(i + 1))]);
    }
    return record;
}

} // namespace velt
