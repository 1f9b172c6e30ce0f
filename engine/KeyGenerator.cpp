#include "KeyGenerator.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace velt {

std::string ShortText(float x) {
    if (x == 0.0f) {
        return " 0";
    }
    if (x >= 0.1f && x < 1.0f) {
        // The common case without printf: x * 1e7 is exact in double, and rounding
        // half to even matches the library's formatting.
        auto digits = static_cast<long>(std::nearbyint(static_cast<double>(x) * 1e7));
        std::string text = " .0000000";
        for (std::size_t place = 8; place >= 2; --place) {
            text[place] = static_cast<char>('0' + digits % 10);
            digits /= 10;
        }
        while (text.back() == '0') {
            text.pop_back();
        }
        return text;
    }
    char buffer[48];
    const double value = x;
    std::snprintf(buffer, sizeof buffer, "%.7g", value);
    std::string text = buffer;
    if (text.find('e') != std::string::npos) {
        // Very small values: fixed notation with the same seven significant digits.
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        std::snprintf(buffer, sizeof buffer, "%.*f", 6 - exponent, value);
        text = buffer;
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
    }
    if (text.size() > 1 && text[0] == '0' && text[1] == '.') {
        text.erase(0, 1);
    }
    return (x < 0.0f ? "" : " ") + text;
}

int DigitAtPlace(float x, int place) {
    const std::string text = ShortText(x);
    if (place < 1 || static_cast<std::size_t>(place) > text.size()) {
        return 0;
    }
    const char c = text[static_cast<std::size_t>(place - 1)];
    return c >= '0' && c <= '9' ? c - '0' : 0;
}

int ClockDigit(IClock& clock) {
    return clock.Now().second % 10;
}

KeyGenerator::KeyGenerator(KeyMaterial& key, IClock& clock, IRandomSource& random)
    : m_key(key), m_clock(clock), m_random(random) {}

void KeyGenerator::ResetWorkingGrid() {
    int counter = 0;
    for (int i = 1; i <= kGridSide; ++i) {
        for (int j = 1; j <= kGridSide; ++j) {
            Cell(i, j) = static_cast<std::uint8_t>(counter++);
        }
    }
}

void KeyGenerator::ExchangeRows(int first, int second) {
    for (int j = 1; j <= kGridSide; ++j) {
        std::swap(Cell(first, j), Cell(second, j));
    }
}

void KeyGenerator::ExchangeColumns(int first, int second) {
    for (int i = 1; i <= kGridSide; ++i) {
        std::swap(Cell(i, first), Cell(i, second));
    }
}

void KeyGenerator::FixedShuffle() {
    for (int k = 1; k <= 8; ++k) {
        ExchangeRows(k, 17 - k);
        ExchangeColumns(17 - k, k);
        ExchangeRows(k, k + 8);
        ExchangeColumns(k + 8, k);
    }
}

void KeyGenerator::ExchangeRowsReversed(int a, int b) {
    for (int j = 1; j <= kGridSide; ++j) {
        std::swap(Cell(a, j), Cell(b, 17 - j));
    }
}

void KeyGenerator::ExchangeColumnsReversed(int a, int b) {
    for (int j = 1; j <= kGridSide; ++j) {
        std::swap(Cell(j, a), Cell(17 - j, b));
    }
}

ExchangePair KeyGenerator::DrawExchangePair(int firstOffset, int secondOffset) {
    const int s = ClockDigit(m_clock);
    ExchangePair pair;
    pair.a = 16 - DigitAtPlace(m_random.Draw(), s + firstOffset);
    pair.b = DigitAtPlace(m_random.Draw(), s + secondOffset) + 1;
    if (pair.a == pair.b) {
        --pair.a;
        ++pair.b;
    }
    return pair;
}

void KeyGenerator::ScrambleGrid() {
    for (int pass = 1; pass <= 15; ++pass) {
        const ExchangePair rows = DrawExchangePair(3, 4);
        ExchangeRowsReversed(rows.a, rows.b);
        FixedShuffle();
        const ExchangePair columns = DrawExchangePair(4, 3);
        ExchangeColumnsReversed(columns.a, columns.b);
        FixedShuffle();
    }
}

} // namespace velt
