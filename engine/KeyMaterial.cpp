#include "KeyMaterial.h"

namespace velt {

// Value-initialised: every table starts zeroed, as the process's tables do.
KeyMaterial::KeyMaterial() : m_tables(std::make_unique<Tables>()) {}

void KeyMaterial::FillPosition(int position, const std::uint8_t* record) {
    const std::size_t base = Index(position, 0);
    for (int k = 0; k < kGridCells; ++k) {
        const std::uint8_t code = record[k];
        m_tables->grid[base + static_cast<std::size_t>(k)] = code;
        m_tables->rowOf[base + code] = static_cast<std::uint8_t>(k / kGridSide + 1);
        m_tables->columnOf[base + code] = static_cast<std::uint8_t>(k % kGridSide + 1);
    }
}

} // namespace velt
