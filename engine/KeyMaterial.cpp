#include "KeyMaterial.h"

namespace velt {

// Value-initialised: every table starts zeroed, as the process's tables do.
KeyMaterial::KeyMaterial() : m_tables(std::make_unique<std::array<PositionTables, kKeyCapacity>>()) {}

void KeyMaterial::FillPosition(int position, const std::uint8_t* record) {
    PositionTables& tables = At(position);
    for (int k = 0; k < kGridCells; ++k) {
        const std::uint8_t code = record[k];
        tables.grid[static_cast<std::size_t>(k)] = code;
        tables.cellOf[code] = static_cast<std::uint8_t>(k);
    }
}

} // namespace velt
