// The key file reader: a key is used only when the whole file is 100 to 10000 records, every one
// whole, framed by the length 256 and a permutation of the 256 codes, and the key length does not
// exceed them; then the lookup finds every code in its cell.
#include "Errors.h"
#include "KeyFile.h"
#include "SystemServices.h"

#include <array>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

using namespace velt;

namespace {

bool SoundRecords(const std::uint8_t* bytes, std::size_t size, int length) {
    if (size < static_cast<std::size_t>(length) * kRecordSize) {
        return false;
    }
    for (int p = 0; p < length; ++p) {
        const std::uint8_t* record = bytes + static_cast<std::size_t>(p) * kRecordSize;
        if (record[0] != 0x00 || record[1] != 0x01) {
            return false;
        }
        std::array<int, 256> count{};
        for (int k = 0; k < kGridCells; ++k) {
            if (++count[record[2 + k]] > 1) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    static KeyMaterial key;
    static NullProgress progress;
    static const int fd = ::memfd_create("key", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);

    // The first two bytes choose the key length (up to one past the capacity); the rest is the file.
    const int length = (data[0] | data[1] << 8) % (kKeyCapacity + 2);
    const std::uint8_t* file = data + 2;
    const std::size_t fileSize = size - 2;
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, file, fileSize, 0) != static_cast<ssize_t>(fileSize)) {
        std::abort();
    }

    const std::size_t records = fileSize / kRecordSize;
    const bool sound = fileSize % kRecordSize == 0 && records >= kMinKeyLength && records <= kKeyCapacity &&
                       static_cast<std::size_t>(length) <= records &&
                       SoundRecords(file, fileSize, static_cast<int>(records));
    bool loaded = true;
    try {
        LoadKeyFile(path, length, key, progress, "fuzz");
    } catch (const VeltError&) {
        loaded = false;
    }
    if (loaded != sound) {
        std::abort();
    }
    if (loaded) {
        for (int p = 1; p <= length; ++p) {
            for (int c = 0; c < 256; ++c) {
                const auto code = static_cast<std::uint8_t>(c);
                if (key.Cell(p, key.RowOf(p, code), key.ColumnOf(p, code)) != code) {
                    std::abort();
                }
            }
        }
    }
    return 0;
}
