// The key file reader: a key is used only when the whole file is 100 to 10000 records, every one
// whole, framed by the length 256 and a permutation of the 256 codes, and the key length does not
// exceed them; then the lookup finds every code in its cell.
// An input is either the key file itself, or (first byte odd) a recipe: a whole key of up to
// 10001 sound records with a few bytes changed and its end cut or lengthened, so that whole
// keys of every length are reached within small inputs.
#include "engine/Errors.h"
#include "engine/KeyFile.h"
#include "engine/SystemServices.h"
#include "fuzz/FuzzSupport.h"

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

/// The key file a recipe describes: records, length (2 bytes), records used (2), end change (1),
/// then changes of one byte each: offset (3 bytes) and value (1).
std::string FromRecipe(const std::uint8_t* data, std::size_t size) {
    static const std::string sound = fuzz::KeyFolder::Records(kKeyCapacity + 1, 7);
    if (size < 3) {
        return {};
    }
    const std::size_t records = (data[0] | data[1] << 8) % (kKeyCapacity + 2);
    std::string file = sound.substr(0, records * kRecordSize);
    const int endChange = static_cast<std::int8_t>(data[2]);
    if (endChange < 0) {
        file.resize(file.size() - std::min<std::size_t>(file.size(), static_cast<std::size_t>(-endChange)));
    } else {
        file.append(static_cast<std::size_t>(endChange), '\x01');
    }
    for (std::size_t at = 3; at + 4 <= size && !file.empty(); at += 4) {
        file[(data[at] | data[at + 1] << 8 | data[at + 2] << 16) % file.size()] = static_cast<char>(data[at + 3]);
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    std::string recipe;
    if ((data[0] & 1) != 0) {
        recipe = FromRecipe(data + 3, size - 3);
        recipe.insert(0, reinterpret_cast<const char*>(data + 1), 2);
        data = reinterpret_cast<const std::uint8_t*>(recipe.data());
        size = recipe.size();
    } else {
        ++data;
        --size;
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
        // Every position of a short key; of a long one the first, the last and every 61st.
        for (int p = 1; p <= length; p += (length <= 400 || p + 61 > length) ? 1 : 61) {
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
