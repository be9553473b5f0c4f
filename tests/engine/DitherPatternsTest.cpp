#include "engine/DitherPatterns.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace tarvelo {
namespace {

// A second copy of the eight matrices, typed row by row as text from the pattern descriptions so
// that a slip in the engine's table cannot be repeated here.
const char* const ExpectedRows[8][8] = {
    {"0 15 7 14 6 15 5 15", "13 4 9 2 12 7 8 2", "6 12 1 10 7 13 4 10", "11 3 8 5 11 0 12 3",
     "5 15 0 14 2 9 1 14", "9 6 10 4 12 3 13 0", "1 13 3 8 5 10 4 11", "14 2 9 6 11 1 8 7"},
    {"0 11 2 9 0 11 2 9", "15 4 13 6 15 4 13 6", "3 8 1 10 3 8 1 10", "12 7 14 5 12 7 14 5",
     "0 11 2 9 0 11 2 9", "15 4 13 6 15 4 13 6", "3 8 1 10 3 8 1 10", "12 7 14 5 12 7 14 5"},
    {"0 11 2 9 0 11 2 9", "0 11 2 9 0 11 2 9", "15 4 13 6 15 4 13 6", "15 4 13 6 15 4 13 6",
     "3 8 1 10 3 8 1 10", "3 8 1 10 3 8 1 10", "12 7 14 5 12 7 14 5", "12 7 14 5 12 7 14 5"},
    {"0 1 2 3 3 4 5 6", "11 12 13 4 2 13 14 7", "10 15 14 5 1 12 15 8", "9 8 7 6 0 11 10 9",
     "5 6 0 1 2 3 3 4", "14 7 11 12 13 4 2 13", "15 8 10 15 14 5 1 12", "10 9 9 8 7 6 0 11"},
    {"9 10 7 0 5 8 9 7", "11 13 8 4 6 11 13 12", "14 15 14 10 11 14 15 14",
     "12 13 11 11 12 12 13 11", "9 8 10 12 13 11 12 10", "5 4 9 14 15 14 11 8",
     "4 0 6 11 13 12 10 7", "8 5 7 5 9 10 9 9"},
    {"3 11 3 11 3 11 3 11", "15 7 15 7 15 7 15 7", "3 11 3 11 3 11 3 11", "15 7 15 7 15 7 15 7",
     "3 11 3 11 3 11 3 11", "15 7 15 7 15 7 15 7", "3 11 3 11 3 11 3 11", "15 7 15 7 15 7 15 7"},
    {"0 5 1 4 0 5 1 4", "7 2 6 3 7 2 6 3", "1 4 0 5 1 4 0 5", "6 3 7 2 6 3 7 2", "0 5 1 4 0 5 1 4",
     "7 2 6 3 7 2 6 3", "1 4 0 5 1 4 0 5", "6 3 7 2 6 3 7 2"},
    {"8 0 8 8 0 8 0 8", "0 8 0 0 8 0 8 0", "8 0 8 8 0 8 0 8", "0 8 0 0 8 0 8 0", "8 0 8 8 0 8 0 8",
     "0 8 0 0 8 0 8 0", "8 0 8 8 0 8 0 8", "0 8 0 0 8 0 8 0"},
};

std::string rowText(const std::array<std::uint8_t, 8>& row) {
    std::ostringstream text;
    for (std::size_t i = 0; i < row.size(); ++i) {
        text << (i == 0 ? "" : " ") << static_cast<int>(row[i]);
    }
    return text.str();
}

TEST(DitherPatterns, EveryRowMatchesTheIndependentCopy) {
    for (std::uint32_t pattern = 1; pattern <= 8; ++pattern) {
        const DitherMatrix* matrix = ditherMatrixFor(pattern);
        ASSERT_NE(matrix, nullptr);
        EXPECT_EQ(matrix, &DitherPatterns[pattern - 1]);
        for (std::size_t row = 0; row < 8; ++row) {
            SCOPED_TRACE("pattern " + std::to_string(pattern) + " row " + std::to_string(row));
            EXPECT_EQ(rowText((*matrix)[row]), ExpectedRows[pattern - 1][row]);
        }
    }
}

TEST(DitherPatterns, NoMatrixOutsidePatternsOneToEight) {
    for (std::uint32_t pattern : {0u, 9u, 100u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(ditherMatrixFor(pattern), nullptr);
    }
}

} // namespace
} // namespace tarvelo
