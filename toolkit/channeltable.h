// Channel bytes as fractions of 255, looked up instead of divided for every cell.
#pragma once

#include <array>

namespace noise {
namespace utils {

struct ChannelTable {
    std::array<double, 256> unit{};     // c / 255.0
    std::array<float, 256> unitFloat{}; // c / 255.0 rounded to float
};

constexpr ChannelTable MakeChannelTable() {
    ChannelTable table;
    for (int c = 0; c < 256; ++c) {
        table.unit[c] = c / 255.0;
        table.unitFloat[c] = static_cast<float>(c / 255.0);
    }
    return table;
}

// Built at compile time with the same correctly rounded division the run-time code would do.
inline constexpr ChannelTable kChannelTable = MakeChannelTable();

} // namespace utils
} // namespace noise
