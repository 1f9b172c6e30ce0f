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

/// Code grids and cell lookup for positions 1..10000, one byte per entry. The grid of a
/// position and its lookup sit side by side (512 bytes), so coding at one position
/// touches one small block. Rows, columns and positions count from 1.
class KeyMaterial final {
public:
    KeyMaterial();

    /// Cell (row, column) of the grid of `position`. Rows and columns are taken modulo 16,
    /// so a lookup of a position that was never loaded (zero) stays inside its grid.
    std::uint8_t& Cell(int position, int row, int column) {
        ++m_generation;
        return At(position).grid[Offset(row, column)];
    }
    std::uint8_t Cell(int position, int row, int column) const { return At(position).grid[Offset(row, column)]; }
    /// Row (1..16) of `code` in the grid of `position`.
    std::uint8_t RowOf(int position, std::uint8_t code) const {
        return static_cast<std::uint8_t>((CellOf(position, code) >> 4) + 1);
    }
    /// Column (1..16) of `code` in the grid of `position`.
    std::uint8_t ColumnOf(int position, std::uint8_t code) const {
        return static_cast<std::uint8_t>((CellOf(position, code) & 15) + 1);
    }
    /// Where `code` stands in the grid of `position`: 16 x (row - 1) + (column - 1).
    std::uint8_t CellOf(int position, std::uint8_t code) const { return At(position).cellOf[code]; }
    /// The code in cell 16 x (row - 1) + (column - 1) of the grid of `position`.
    std::uint8_t CodeAt(int position, std::uint8_t cell) const { return At(position).grid[cell]; }

    /// The tables of `position` as one block: its grid (256 codes, row by row) and, after
    /// it, its cell lookup (256 cells); for loops that code many units.
    const std::uint8_t* Block(int position) const { return At(position).grid.data(); }
    static constexpr int kBlockSize = 2 * kGridCells;

    /// The 256 cells of the grid of `position` (1..10000), row by row.
    std::uint8_t* Grid(int position) {
        ++m_generation;
        return At(position).grid.data();
    }

    /// Fills the grid of `position` from a 256-byte record and refreshes its lookup.
    void FillPosition(int position, const std::uint8_t* record);

    /// Moves on whenever the tables may change: work prepared with older tables is stale.
    std::uint64_t Generation() const { return m_generation; }

    /// True for a key position the tables hold (1..10000).
    static bool InCapacity(int position) { return position >= 1 && position <= kKeyCapacity; }

private:
    static int Offset(int row, int column) { return ((row - 1) & 15) * kGridSide + ((column - 1) & 15); }
    struct PositionTables {
        std::array<std::uint8_t, kGridCells> grid;
        std::array<std::uint8_t, kGridCells> cellOf;
    };
    static_assert(sizeof(PositionTables) == kBlockSize);
    PositionTables& At(int position) { return (*m_tables)[static_cast<std::size_t>(position - 1)]; }
    const PositionTables& At(int position) const { return (*m_tables)[static_cast<std::size_t>(position - 1)]; }
    struct Release {
        void operator()(void* tables) const;
    };
    std::unique_ptr<std::array<PositionTables, kKeyCapacity>, Release> m_tables;
    std::uint64_t m_generation = 0;
};

} // namespace velt
