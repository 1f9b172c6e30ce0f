#include "engine/KeyMaterial.h"

#include <cstdlib>
#include <new>

namespace velt {

// Every table starts zeroed, as the process's tables do. calloc takes zeroed pages straight
// from the system: a short key touches a few of the 5 MB, and nobody pays to clear the rest.
KeyMaterial::KeyMaterial()
    : m_tables(static_cast<std::array<PositionTables, kKeyCapacity>*>(
          std::calloc(1, sizeof(std::array<PositionTables, kKeyCapacity>)))) {
    if (!m_tables) {
        throw std::bad_alloc();
    }
}

void KeyMaterial::Release::operator()(void* tables) const {
    std::free(tables);
}

void KeyMaterial::FillPosition(int position, const std::uint8_t* record) {
    ++m_generation;
    PositionTables& tables = At(position);
    for (int k = 0; k < kGridCells; ++k) {
        const std::uint8_t code = record[k];
        tables.grid[static_cast<std::size_t>(k)] = code;
        tables.cellOf[code] = static_cast<std::uint8_t>(k);
    }
}

} // namespace velt
