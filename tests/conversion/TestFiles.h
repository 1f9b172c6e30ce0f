#pragma once
// Small helpers for tests that work on real files in a temporary folder.

#include <algorithm>
#include <array>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace velt::test {

/// A fresh folder under the system's temporary folder, removed with its contents.
class TempFolder final {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "velt-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

    /// Names of everything in the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// While alive, no file of this process may grow beyond `bytes`: writes past it fail
/// with EFBIG as on a full disk. Lowers only the soft limit, so it can be restored.
class FileSizeLimit final {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lowered = m_old;
        lowered.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

/// Every byte value in order, then a scrambled mix of them, `size` bytes in all.
inline std::string AllByteValues(std::size_t size) {
    std::string bytes;
    bytes.reserve(size);
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        bytes += static_cast<char>(i < 256 ? i : (i * 7919 + i / 13) & 0xFF);
    }
    return bytes;
}

/// A key built here, independent of the program's generator: grid p is a shuffle of the
/// 256 codes seeded by p. Writes the key file as records of 00 01 + 256 codes.
class TestKey final {
public:
    explicit TestKey(int length) : m_grids(static_cast<std::size_t>(length)) {
        for (int p = 1; p <= length; ++p) {
            auto& grid = m_grids[static_cast<std::size_t>(p - 1)];
            std::iota(grid.begin(), grid.end(), 0);
            std::shuffle(grid.begin(), grid.end(), std::mt19937(static_cast<unsigned>(p)));
        }
    }
    void WriteTo(const std::filesystem::path& file) const {
        std::string bytes;
        for (const auto& grid : m_grids) {
            bytes += std::string("\x00\x01", 2);
            bytes.append(grid.begin(), grid.end());
        }
        WriteFile(file, bytes);
    }
    /// Cell (row, column), both 1..16, of the grid of position p.
    std::uint8_t Cell(int p, int row, int column) const {
        return m_grids[static_cast<std::size_t>(p - 1)]
                      [static_cast<std::size_t>((row - 1) * 16 + column - 1)];
    }
    /// 0-based index of `code` in the grid of position p.
    int IndexOf(int p, std::uint8_t code) const {
        const auto& grid = m_grids[static_cast<std::size_t>(p - 1)];
        return static_cast<int>(std::find(grid.begin(), grid.end(), code) - grid.begin());
    }

private:
    std::vector<std::array<std::uint8_t, 256>> m_grids;
};

} // namespace velt::test
