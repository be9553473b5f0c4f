#include "formats/ScreenFileWriter.h"

#include "FileFaultGuard.h"
#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

using testing::FileFaultCase;
using testing::FileFaultCases;
using testing::FileFaultGuard;
using testing::RecordingFeedback;
using testing::TemporaryFolder;

constexpr std::size_t Header = 7;

// Every line starts with its own number so that a swapped or repeated line shows; the rest is
// a pattern that differs from line to line.
std::vector<std::uint8_t> numberedLines(std::size_t bytesPerLine, std::size_t lines) {
    std::vector<std::uint8_t> data(bytesPerLine * lines);
    for (std::size_t line = 0; line < lines; ++line) {
        for (std::size_t x = 0; x < bytesPerLine; ++x) {
            data[line * bytesPerLine + x] = static_cast<std::uint8_t>(line * 13 + x * 7 + 1);
        }
        data[line * bytesPerLine] = static_cast<std::uint8_t>(line & 0xFF);
        data[line * bytesPerLine + 1] = static_cast<std::uint8_t>(line >> 8);
    }
    return data;
}

ConversionSettings settingsFor(std::uint32_t mode, std::uint32_t paletteOutput, bool interlace) {
    ConversionSettings settings;
    settings.screenMode = mode;
    settings.paletteOutput = paletteOutput;
    settings.interlace = interlace ? 1 : 0;
    for (std::int32_t i = 0; i < 16; ++i) {
        settings.palette[static_cast<std::size_t>(i)] = {
            .green = (i + 5) % 8, .red = i % 8, .blue = (i / 2) % 8};
    }
    return settings;
}

std::int32_t bytesPerLineOf(std::uint32_t mode) { return mode == 0 ? 128 : 256; }

/// The file as the line-by-line description has it: header, the chosen lines, and for a joined
/// palette zeros up to the palette table and the 16 register pairs.
std::vector<std::uint8_t>
expectedFile(const std::vector<std::uint8_t>& data, std::size_t bytesPerLine, std::size_t firstLine,
             std::size_t step, std::size_t lines, std::uint16_t endAddress,
             std::optional<std::size_t> paletteTable, const ConversionSettings& settings) {
    std::vector<std::uint8_t> out = {0xFE,
                                     0x00,
                                     0x00,
                                     static_cast<std::uint8_t>(endAddress & 0xFF),
                                     static_cast<std::uint8_t>(endAddress >> 8),
                                     0x00,
                                     0x00};
    for (std::size_t k = 0; k < lines; ++k) {
        const auto begin =
            data.begin() + static_cast<std::ptrdiff_t>((firstLine + k * step) * bytesPerLine);
        out.insert(out.end(), begin, begin + static_cast<std::ptrdiff_t>(bytesPerLine));
    }
    if (paletteTable) {
        out.resize(Header + *paletteTable, 0);
        for (const PaletteEntry& e : settings.palette) {
            out.push_back(static_cast<std::uint8_t>(e.red * 16 + e.blue));
            out.push_back(static_cast<std::uint8_t>(e.green));
        }
    }
    return out;
}

void expectSameBytes(const std::vector<std::uint8_t>& actual,
                     const std::vector<std::uint8_t>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "first difference at byte " << i << ": " << int(actual[i])
                          << " instead of " << int(expected[i]);
            return;
        }
    }
}

TEST(MakeAutoFileName, ReplacesOnlyTheExtensionOfTheFileName) {
    using V = ScreenFileVariant;
    struct Case {
        std::string source;
        std::uint32_t mode;
        V variant;
        bool joined;
        std::string expected;
    };
    const std::string longFolder = "/" + std::string(300, 'd') + ".x/";
    const Case cases[] = {
        {"PIC.BMP", 0, V::Single, true, "PIC.SC5"},
        {"PIC.BMP", 0, V::Single, false, "PIC.SR5"},
        {"PIC.BMP", 1, V::Single, true, "PIC.SC7"},
        {"PIC.BMP", 2, V::Single, true, "PIC.SC8"},
        {"PIC.BMP", 2, V::Single, false, "PIC.SR8"},
        {"PIC.BMP", 3, V::Single, true, "PIC.SCA"},
        {"PIC.BMP", 4, V::Single, false, "PIC.SRC"},
        // Pairs: even lines digit 1, odd lines digit 0; the palette choice does not show.
        {"PIC.BMP", 1, V::FirstOfPair, true, "PIC.S71"},
        {"PIC.BMP", 1, V::SecondOfPair, false, "PIC.S70"},
        {"PIC.BMP", 4, V::FirstOfPair, false, "PIC.SC1"},
        {"PIC.BMP", 3, V::SecondOfPair, true, "PIC.SA0"},
        {"/home/u/pic.tar.bmp", 0, V::Single, true, "/home/u/pic.tar.SC5"},
        {"C:\\A.B\\PIC.BMP", 0, V::Single, true, "C:\\A.B\\PIC.SC5"},
        // No extension of its own: the four characters are appended.
        {"C:\\A.B\\PIC", 0, V::Single, true, "C:\\A.B\\PIC.SC5"},
        {"/x/a.b/pic", 1, V::FirstOfPair, true, "/x/a.b/pic.S71"},
        {"PIC", 2, V::Single, false, "PIC.SR8"},
        {"/x/.pic", 3, V::Single, true, "/x/.pic.SCA"},
        {"/x/.pic.bmp", 3, V::Single, true, "/x/.pic.SCA"},
        {"/x/PIC.", 0, V::Single, true, "/x/PIC.SC5"},
        {longFolder + "PIC.BMP", 0, V::Single, false, longFolder + "PIC.SR5"},
        {"PIC.BMP", 9, V::Single, false, "PIC.SRX"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source.substr(0, 40) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(makeAutoFileName(c.source, c.mode, c.variant, c.joined), c.expected);
    }
}

TEST(WriteScreenFiles, SingleFileLayoutPerModeAndPaletteOutput) {
    struct Case {
        std::uint32_t mode;
        std::uint32_t paletteOutput;
        const char* name;
        std::size_t size;
        std::uint16_t endAddress;
        std::optional<std::size_t> joinedPaletteAt;
        std::size_t palettePrompts;
    };
    const Case cases[] = {
        {0, 1, "PIC.SC5", 30375, 0x76A0, 0x7680, 0},
        // The end address covers the palette table even when the palette is not there.
        {0, 0, "PIC.SR5", 7 + 27136, 0x76A0, std::nullopt, 0},
        {0, 2, "PIC.SR5", 7 + 27136, 0x76A0, std::nullopt, 1},
        {1, 1, "PIC.SC7", 64167, 0xFAA0, 0xFA80, 0},
        {1, 3, "PIC.SR7", 7 + 54272, 0xFAA0, std::nullopt, 1},
        {2, 1, "PIC.SC8", 7 + 54272, 0xD400, std::nullopt, 0},
        {2, 2, "PIC.SR8", 7 + 54272, 0xD400, std::nullopt, 0},
        {3, 1, "PIC.SCA", 7 + 54272, 0xD400, std::nullopt, 0},
        {4, 3, "PIC.SRC", 7 + 54272, 0xD400, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string(" paletteOutput ") + std::to_string(c.paletteOutput));
        TemporaryFolder folder;
        RecordingFeedback feedback; // palette prompts are cancelled
        const ConversionSettings settings = settingsFor(c.mode, c.paletteOutput, false);
        const std::int32_t bytesPerLine = bytesPerLineOf(c.mode);
        const std::vector<std::uint8_t> data =
            numberedLines(static_cast<std::size_t>(bytesPerLine), 212);
        writeScreenFiles(MessageOwner::MainWindow, folder.file("PIC.BMP"), data, bytesPerLine, 212,
                         settings, feedback);

        EXPECT_EQ(folder.fileNames(), std::vector<std::string>{c.name});
        const std::vector<std::uint8_t> file = testing::readFile(folder.file(c.name));
        EXPECT_EQ(file.size(), c.size);
        expectSameBytes(file, expectedFile(data, static_cast<std::size_t>(bytesPerLine), 0, 1, 212,
                                           c.endAddress, c.joinedPaletteAt, settings));
        EXPECT_EQ(feedback.prompts.size(), c.palettePrompts);
        EXPECT_TRUE(feedback.messages.empty());
    }
}

TEST(WriteScreenFiles, InterlacedPairEvenLinesFirst) {
    struct Case {
        std::uint32_t mode;
        std::uint32_t paletteOutput;
        const char* evenName;
        const char* oddName;
        std::uint16_t endAddress;
        std::optional<std::size_t> joinedPaletteAt;
    };
    const Case cases[] = {
        {1, 1, "PIC.S71", "PIC.S70", 0xFAA0, 0xFA80},
        {0, 0, "PIC.S51", "PIC.S50", 0x76A0, std::nullopt},
        {4, 1, "PIC.SC1", "PIC.SC0", 0xD400, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.evenName);
        TemporaryFolder folder;
        RecordingFeedback feedback;
        const ConversionSettings settings = settingsFor(c.mode, c.paletteOutput, true);
        const auto bytesPerLine = static_cast<std::size_t>(bytesPerLineOf(c.mode));
        const std::vector<std::uint8_t> data = numberedLines(bytesPerLine, 424);
        writeScreenFiles(MessageOwner::MainWindow, folder.file("PIC.BMP"), data,
                         static_cast<std::int32_t>(bytesPerLine), 424, settings, feedback);

        EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{c.oddName, c.evenName}));
        expectSameBytes(
            testing::readFile(folder.file(c.evenName)),
            expectedFile(data, bytesPerLine, 0, 2, 212, c.endAddress, c.joinedPaletteAt, settings));
        expectSameBytes(
            testing::readFile(folder.file(c.oddName)),
            expectedFile(data, bytesPerLine, 1, 2, 212, c.endAddress, c.joinedPaletteAt, settings));
        EXPECT_TRUE(feedback.prompts.empty());
        EXPECT_TRUE(feedback.messages.empty());
    }
}

const std::string SingleTitle = "名前を付けて保存";
const std::string EvenTitle = "名前を付けて保存（偶数ライン）";
const std::string OddTitle = "名前を付けて保存（奇数ライン）";
const std::string GraphSaurusTitle = "名前を付けて保存(*.PL?形式)";
const std::string CsvTitle = "名前を付けて保存(CSV形式)";

std::vector<std::pair<std::string, std::string>> expectedFilters(const std::string& title) {
    if (title == GraphSaurusTitle) {
        return {{"MSXﾊﾟﾚｯﾄﾌｧｲﾙ(*.PL5/*.PL7)", "*.PL5;*.PL7"}};
    }
    if (title == CsvTitle) {
        return {{"CSVﾌｧｲﾙ(*.CSV/*.TXT)", "*.CSV;*.TXT"}};
    }
    return {{"MSX画像ﾌｧｲﾙ(*.SC?/*.SR?)", "*.SC?;*.SR?"}, {"すべてのﾌｧｲﾙ(*.*)", "*.*"}};
}

TEST(WriteScreenFiles, PromptsTitlesFiltersAndCancelling) {
    struct Case {
        const char* label;
        std::uint32_t mode;
        std::uint32_t paletteOutput;
        bool interlace;
        bool autoFileName;
        std::string sourceName;                          // empty: a picture without a path
        std::vector<std::optional<std::string>> answers; // names in the folder; nothing = cancel
        std::vector<std::string> titles;
        std::vector<std::string> files;
    };
    const Case cases[] = {
        {"pair with Graph Saurus palettes",
         0,
         2,
         true,
         false,
         "PIC.BMP",
         {"EVEN.S51", "A.PL5", "ODD.S50", std::nullopt},
         {EvenTitle, GraphSaurusTitle, OddTitle, GraphSaurusTitle},
         {"A.PL5", "EVEN.S51", "ODD.S50"}},
        {"single with CSV palette",
         1,
         3,
         false,
         false,
         "PIC.BMP",
         {"ONE.SR7", "P.CSV"},
         {SingleTitle, CsvTitle},
         {"ONE.SR7", "P.CSV"}},
        {"first of pair cancelled", 0, 1, true, false, "PIC.BMP", {std::nullopt}, {EvenTitle}, {}},
        {"second of pair cancelled",
         1,
         2,
         true,
         false,
         "PIC.BMP",
         {"E.S71", std::nullopt, std::nullopt},
         {EvenTitle, GraphSaurusTitle, OddTitle},
         {"E.S71"}},
        // No path to make a name from; a typed name gets no extension added.
        {"no source path", 2, 1, false, true, "", {"CLIP"}, {SingleTitle}, {"CLIP"}},
        {"no palette prompt for SCREEN12",
         4,
         2,
         false,
         false,
         "PIC.BMP",
         {"Y.SRC"},
         {SingleTitle},
         {"Y.SRC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TemporaryFolder folder;
        RecordingFeedback feedback;
        for (const std::optional<std::string>& answer : c.answers) {
            feedback.answers.push_back(answer ? std::optional(folder.file(*answer)) : std::nullopt);
        }
        ConversionSettings settings = settingsFor(c.mode, c.paletteOutput, c.interlace);
        settings.autoFileName = c.autoFileName ? 1 : 0;
        const auto bytesPerLine = static_cast<std::size_t>(bytesPerLineOf(c.mode));
        const std::int32_t lines = c.interlace ? 424 : 212;
        const std::vector<std::uint8_t> data =
            numberedLines(bytesPerLine, static_cast<std::size_t>(lines));
        const std::string source = c.sourceName.empty() ? "" : folder.file(c.sourceName);
        writeScreenFiles(MessageOwner::ScriptWindow, source, data,
                         static_cast<std::int32_t>(bytesPerLine), lines, settings, feedback);

        ASSERT_EQ(feedback.prompts.size(), c.titles.size());
        for (std::size_t i = 0; i < c.titles.size(); ++i) {
            const RecordingFeedback::Prompt& prompt = feedback.prompts[i];
            EXPECT_EQ(prompt.title, c.titles[i]);
            EXPECT_EQ(prompt.owner, MessageOwner::ScriptWindow);
            std::vector<std::pair<std::string, std::string>> filters;
            for (const FileFilter& filter : prompt.filters) {
                filters.emplace_back(filter.description, filter.patterns);
            }
            EXPECT_EQ(filters, expectedFilters(prompt.title));
        }
        EXPECT_EQ(folder.fileNames(), c.files);
        EXPECT_TRUE(feedback.messages.empty());
    }
}

TEST(WriteScreenFiles, FailedPaletteFileDoesNotStopThePair) {
    TemporaryFolder folder;
    RecordingFeedback feedback;
    feedback.answers = {folder.file("E.S51"), folder.file("missing/P.CSV"), folder.file("O.S50"),
                        std::nullopt};
    ConversionSettings settings = settingsFor(0, 3, true);
    settings.autoFileName = 0;
    const std::vector<std::uint8_t> data = numberedLines(128, 424);
    writeScreenFiles(MessageOwner::MainWindow, folder.file("PIC.BMP"), data, 128, 424, settings,
                     feedback);

    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"E.S51", "O.S50"}));
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "書き込みに失敗しました。");
    EXPECT_EQ(feedback.prompts.size(), 4u);
}

// A file that cannot be created ends the writer silently; a failed write or rename ends it with
// a message. Either way the earlier file survives unchanged, no temporary is left, no palette
// prompt follows and the second file of a pair is not written.
TEST(WriteScreenFiles, FailuresKeepTheEarlierFileAndStopTheWriter) {
    const std::vector<std::uint8_t> earlier = {'o', 'l', 'd', 0};
    const std::vector<std::uint8_t> data = numberedLines(128, 424);
    for (const bool interlace : {false, true}) {
        for (const FileFaultCase& fault : FileFaultCases) {
            SCOPED_TRACE(::testing::Message() << fault.name << (interlace ? ", pair" : ", single"));
            TemporaryFolder folder;
            const std::string firstName = interlace ? "PIC.S51" : "PIC.SR5";
            testing::writeFile(folder.file(firstName), earlier);
            RecordingFeedback feedback;
            const ConversionSettings settings = settingsFor(0, 2, interlace);
            {
                FileFaultGuard guard(fault.faults);
                writeScreenFiles(MessageOwner::MainWindow, folder.file("PIC.BMP"), data, 128,
                                 interlace ? 424 : 212, settings, feedback);
            }
            EXPECT_EQ(testing::readFile(folder.file(firstName)), earlier);
            EXPECT_EQ(folder.fileNames(), std::vector<std::string>{firstName});
            EXPECT_TRUE(feedback.prompts.empty());
            if (fault.createFails) {
                EXPECT_TRUE(feedback.messages.empty());
                continue;
            }
            ASSERT_EQ(feedback.messages.size(), 1u);
            EXPECT_EQ(feedback.messages[0].text, "書き込みに失敗しました。");
            EXPECT_EQ(feedback.messages[0].caption, "Error");
            EXPECT_EQ(feedback.messages[0].owner, MessageOwner::MainWindow);
            EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
        }
    }
}

// Sizes the data cannot back are a caller's mistake: nothing is read past the data and nothing
// is written.
TEST(WriteScreenFiles, DataShorterThanClaimedWritesNothing) {
    struct Case {
        const char* label;
        std::size_t dataSize;
        std::int32_t bytesPerLine;
        std::int32_t lines;
    };
    const Case cases[] = {
        {"one byte short", 128 * 212 - 1, 128, 212},
        {"empty data", 0, 256, 212},
        {"negative lines", 128 * 212, 128, -212},
        {"negative line length", 128 * 212, -128, 212},
        {"product beyond 32 bits", 128 * 212, 0x10000, 0x10000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TemporaryFolder folder;
        RecordingFeedback feedback;
        const std::vector<std::uint8_t> data(c.dataSize, 0x5A);
        writeScreenFiles(MessageOwner::MainWindow, folder.file("PIC.BMP"), data, c.bytesPerLine,
                         c.lines, settingsFor(0, 1, false), feedback);
        EXPECT_TRUE(folder.fileNames().empty());
        EXPECT_TRUE(feedback.prompts.empty());
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, "書き込みに失敗しました。");
        EXPECT_EQ(feedback.messages[0].owner, MessageOwner::MainWindow);
    }
}

} // namespace
} // namespace tarvelo

namespace tarvelo {
namespace {

TEST(WriteScreenFiles, PromptsSuggestTheAutomaticNames) {
    struct Case {
        std::uint32_t mode;
        std::uint32_t paletteOutput;
        bool interlace;
        std::vector<std::string> suggestions;
    };
    const Case cases[] = {
        {1, 2, false, {"/p/PIC.SR7", "/p/PIC.PL7"}},
        {0, 2, false, {"/p/PIC.SR5", "/p/PIC.PL5"}},
        {0, 3, true, {"/p/PIC.S51", "/p/PIC.CSV", "/p/PIC.S50", "/p/PIC.CSV"}},
        {4, 1, false, {"/p/PIC.SCC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.suggestions.front());
        testing::RecordingFeedback feedback; // every prompt cancelled after the first
        ConversionSettings settings;
        settings.screenMode = c.mode;
        settings.paletteOutput = c.paletteOutput;
        settings.interlace = c.interlace ? 1 : 0;
        settings.autoFileName = 0;
        testing::TemporaryFolder folder;
        // Answer the screen prompts with files in the folder and cancel the palette prompts.
        for (std::size_t i = 0; i < c.suggestions.size(); ++i) {
            const bool screenFile = c.suggestions[i].find(".S") != std::string::npos;
            feedback.answers.push_back(screenFile ? std::optional(folder.file("F" + std::to_string(i)))
                                                  : std::nullopt);
        }
        const std::int32_t lines = c.interlace ? 424 : 212;
        const std::vector<std::uint8_t> data(256 * static_cast<std::size_t>(lines));
        writeScreenFiles(MessageOwner::MainWindow, "/p/PIC.BMP", data, c.mode == 0 ? 128 : 256,
                         lines, settings, feedback);
        std::vector<std::string> suggestions;
        for (const auto& prompt : feedback.prompts) {
            suggestions.push_back(prompt.suggestedPath);
        }
        EXPECT_EQ(suggestions, c.suggestions);
    }
}

} // namespace
} // namespace tarvelo
