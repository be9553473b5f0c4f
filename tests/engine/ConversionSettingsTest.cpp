#include "engine/ColourLevels.h"
#include "engine/ConversionSettings.h"
#include "engine/ByteOrder.h"
#include "support/BmpBuilder.h"
#include "support/FileFaultGuard.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace tarvelo {
namespace {

using testing::TemporaryFolder;

TEST(ConversionSettings, DefaultRecordBytes) {
    const SettingsBytes bytes = settingsToBytes(ConversionSettings{});
    EXPECT_EQ(readLe32(bytes, 0), 0u);        // SCREEN5
    EXPECT_EQ(bytes[8], 1);                   // error diffusion on
    EXPECT_EQ(readLe32(bytes, 16), 0x3EDC28F6u); // 0.43f
    EXPECT_EQ(readLe32(bytes, 216), 1u);      // palette joined
    EXPECT_EQ(bytes[220], 1);                 // automatic names
    EXPECT_EQ(readLe32(bytes, 224), 1u);      // algorithm 1
    EXPECT_EQ(bytes[228], 1);                 // J/K recalculation
    EXPECT_EQ(readLe32(bytes, 232), 2u);      // dither pattern 2
    EXPECT_EQ(readLe32(bytes, 236), 3u);      // preview and files
    // Entry 2 of the default palette: green 6, red 1, blue 1.
    EXPECT_EQ(readLe32(bytes, 24 + 24), 6u);
    EXPECT_EQ(readLe32(bytes, 28 + 24), 1u);
    EXPECT_EQ(readLe32(bytes, 32 + 24), 1u);
    // Entry 15: white.
    EXPECT_EQ(readLe32(bytes, 24 + 180), 7u);
    int nonZeroOutsideKnownFields = 0;
    for (std::size_t offset : {10u, 11u, 22u, 23u, 221u, 229u, 265u, 285u}) {
        nonZeroOutsideKnownFields += bytes[offset];
    }
    EXPECT_EQ(nonZeroOutsideKnownFields, 0);
}

TEST(ConversionSettings, EveryByteRoundTripsIncludingReserved) {
    SettingsBytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    EXPECT_EQ(settingsToBytes(settingsFromBytes(bytes)), bytes);
}

TEST(ConversionSettings, SaveThenLoadGivesTheSameBytes) {
    TemporaryFolder folder;
    ConversionSettings settings;
    settings.screenMode = 4;
    settings.palette[7] = {1, 2, 3};
    settings.paletteEntryMode[3] = EntryFixed;
    settings.reserved221 = {9, 8, 7};
    settings.zeroX = -5;
    ASSERT_TRUE(saveSettingsFile(settings, folder.file("A.TVL")));
    EXPECT_EQ(testing::readFile(folder.file("A.TVL")).size(), 288u);
    ConversionSettings loaded;
    ASSERT_TRUE(loadSettingsFile(loaded, folder.file("A.TVL")));
    EXPECT_EQ(settingsToBytes(loaded), settingsToBytes(settings));
}

TEST(ConversionSettings, MissingFileGivesDefaultsAndFalse) {
    ConversionSettings settings;
    settings.screenMode = 3;
    EXPECT_FALSE(loadSettingsFile(settings, "/nonexistent/TARVELO.TVL"));
    EXPECT_EQ(settings, ConversionSettings{});
}

TEST(ConversionSettings, EmptyAndShortFilesKeepDefaultsForTheMissingTail) {
    TemporaryFolder folder;
    testing::writeFile(folder.file("EMPTY.TVL"), {});
    ConversionSettings settings;
    EXPECT_TRUE(loadSettingsFile(settings, folder.file("EMPTY.TVL")));
    EXPECT_EQ(settings, ConversionSettings{});

    testing::writeFile(folder.file("SHORT.TVL"), {4, 0, 0, 0, 9});
    EXPECT_TRUE(loadSettingsFile(settings, folder.file("SHORT.TVL")));
    EXPECT_EQ(settings.screenMode, 4u);
    EXPECT_EQ(settings.cutOffError, 9u);
    EXPECT_EQ(settings.errorDiffusion, 1); // default, not reached by the file
}

struct NormaliseCase {
    std::size_t offset;
    std::uint32_t stored;
    std::uint32_t expected;
};

TEST(ConversionSettings, LoadNormalisesOutOfRangeFields) {
    const NormaliseCase cases[] = {
        {236, 0, 1}, {236, 4, 1}, {236, 6, 2}, {236, 3, 3},  // outputTarget
        {232, 9, 0}, {232, 8, 8},                             // ditherPattern
        {12, 3, 1},                                           // colorSelectMode
        {224, 7, 2}, {0, 7, 2}, {256, 5, 0},                  // modulo 5 fields
        {216, 5, 1}, {260, 6, 2}, {268, 3, 0},                // masks and modulo 3
        {4, 0xFFFFFFFFu, 255}, {4, 256, 255}, {4, 255, 255},  // cutOffError
        {28, 9, 1}, {24, 0xFFFFFFFFu, 7},                     // palette levels, low three bits
    };
    TemporaryFolder folder;
    for (const NormaliseCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "offset " << c.offset << " value " << c.stored);
        SettingsBytes bytes = settingsToBytes(ConversionSettings{});
        writeLe32(bytes, c.offset, c.stored);
        testing::writeFile(folder.file("N.TVL"), {bytes.begin(), bytes.end()});
        ConversionSettings settings;
        ASSERT_TRUE(loadSettingsFile(settings, folder.file("N.TVL")));
        EXPECT_EQ(readLe32(settingsToBytes(settings), c.offset), c.expected);
    }
}

TEST(ConversionSettings, LoadBringsTheCoefficientIntoRange) {
    struct Case {
        float stored;
        float expected;
    };
    const Case cases[] = {{-0.1f, 0.0f},
                          {std::numeric_limits<float>::quiet_NaN(), 0.0f},
                          {0.7f, 0.5f},
                          {0.5f, 0.5f},
                          {0.033f, 0.033f},
                          {std::numeric_limits<float>::infinity(), 0.5f}};
    TemporaryFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        SettingsBytes bytes = settingsToBytes(ConversionSettings{});
        writeLe32(bytes, 16, std::bit_cast<std::uint32_t>(c.stored));
        testing::writeFile(folder.file("F.TVL"), {bytes.begin(), bytes.end()});
        ConversionSettings settings;
        ASSERT_TRUE(loadSettingsFile(settings, folder.file("F.TVL")));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(settings.diffusionCoefficient),
                  std::bit_cast<std::uint32_t>(c.expected));
    }
}

TEST(ColourLevels, EightBitValuesGoBackToTheirLevels) {
    for (int level = 0; level < 8; ++level) {
        EXPECT_EQ(levelOf8Bit(ThreeBitLevels[static_cast<std::size_t>(level)]), level);
    }
    EXPECT_EQ(levelOf8Bit(50), 1);
    EXPECT_EQ(levelOf8Bit(0), 0);
    EXPECT_EQ(screen8Colour(0x1C), makeRgbPixel(255, 0, 0));
    EXPECT_EQ(screen8Colour(0x1F), makeRgbPixel(255, 0, 255));
}

} // namespace
} // namespace tarvelo

namespace tarvelo {
namespace {

TEST(ConversionSettings, FailedSaveIsSilentAndKeepsTheEarlierFile) {
    for (const testing::FileFaultCase& c : testing::FileFaultCases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        const std::string path = folder.file("TARVELO.TVL");
        testing::writeFile(path, {1, 2, 3});
        ConversionSettings settings;
        {
            testing::FileFaultGuard guard(c.faults);
            EXPECT_FALSE(saveSettingsFile(settings, path));
        }
        EXPECT_EQ(testing::readFile(path), (std::vector<std::uint8_t>{1, 2, 3}));
        EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"TARVELO.TVL"});
    }
}

} // namespace
} // namespace tarvelo
