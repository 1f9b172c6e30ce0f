#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace velt {

inline constexpr int kKeyCapacity = 10000; ///< key positions the tables hold
inline constexpr int kMinKeyLength = 100;  ///< the shortest key the windows take
inline constexpr int kGridSide = 16;
inline constexpr int kGridCells = 256;
inline constexpr int kRecordSize = 258; ///< 2-byte length field + 256 cells
inline constexpr std::int16_t kDefaultKeyLength = 366;

/// Code grids and cell lookup for positions 1..10000, one byte per entry
/// (3 x 2,560,000 bytes). Rows, columns and positions count from 1.
class KeyMaterial final {
public:
    KeyMaterial();

    /// Cell (row, column) of the grid of `position`. Rows and columns are taken modulo 16,
    /// so a lookup of a position that was never loaded (zero) stays inside its grid.
    std::uint8_t& Cell(int position, int row, int column) {
        return m_tables->grid[Index(position, Offset(row, column))];
    }
    std::uint8_t Cell(int position, int row, int column) const {
        return m_tables->grid[Index(position, Offset(row, column))];
    }
    /// Row (1..16) of `code` in the grid of `position`.
    std::uint8_t RowOf(int position, std::uint8_t code) const {
        return m_tables->rowOf[Index(position, code)];
    }
    /// Column (1..16) of `code` in the grid of `position`.
    std::uint8_t ColumnOf(int position, std::uint8_t code) const {
        return m_tables->columnOf[Index(position, code)];
    }

    /// The 256 cells of the grid of `position` (1..10000), row by row.
    std::uint8_t* Grid(int position) { return &m_tables->grid[Index(position, 0)]; }

    /// Fills the grid of `position` from a 256-byte record and refreshes its lookup.
    void FillPosition(int position, const std::uint8_t* record);

    /// True for a key position the tables hold (1..10000).
    static bool InCapacity(int position) { return position >= 1 && position <= kKeyCapacity; }

private:
    static int Offset(int row, int column) { return ((row - 1) & 15) * kGridSide + ((column - 1) & 15); }
    static std::size_t Index(int position, int offset) {
        return static_cast<std::size_t>(position - 1) * kGridCells + static_cast<std::size_t>(offset);
    }
    struct Tables {
        std::array<std::uint8_t, kKeyCapacity * kGridCells> grid;
        std::array<std::uint8_t, kKeyCapacity * kGridCells> rowOf;
        std::array<std::uint8_t, kKeyCapacity * kGridCells> columnOf;
    };
    std::unique_ptr<Tables> m_tables;
};

} // namespace velt
