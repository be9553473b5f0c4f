#include "script/ScriptFile.h"

#include "engine/AtomicFile.h"
#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

using testing::readFile;
using testing::RecordingFeedback;
using testing::TemporaryFolder;
using testing::writeFile;

const std::string Refused = "異常なファイルです。読み込めません。";
const std::string CannotOpen = "ファイルが開けません。";

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

class ScriptFileTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    RecordingFeedback feedback;

    void TearDown() override { fileFaults() = FileFaults{}; }

    std::optional<ScriptFileText> loadBytes(std::string_view bytes) {
        const std::string path = folder.file("script.txt");
        writeFile(path, bytesOf(bytes));
        return loadScriptFile(path, feedback);
    }
};

TEST_F(ScriptFileTest, Cp932TextRoundTripsByteForByte) {
    // Japanese CP932 text (not valid UTF-8), tabs, CR LF, 0x7F and a half-width katakana.
    const std::string text = "; \x95\xCF\x8A\xB7\r\n\tSCREEN 12\x7F\r\nMSG \"\xB1\x82\xA0\"\n";
    const std::string path = folder.file("a.txt");
    ASSERT_TRUE(saveScriptFile(path, {text, ScriptFileEncoding::Cp932}, feedback));
    EXPECT_EQ(readFile(path), bytesOf(text));
    const std::optional<ScriptFileText> loaded = loadScriptFile(path, feedback);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text, text);
    EXPECT_EQ(loaded->encoding, ScriptFileEncoding::Cp932);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"a.txt"}); // no temporary left
}

TEST_F(ScriptFileTest, ControlCharactersOtherThanTabLfCrRefuseTheFile) {
    for (int byte = 1; byte < 0x20; ++byte) {
        SCOPED_TRACE(byte);
        feedback.messages.clear();
        const std::string text = "SCREEN 5" + std::string(1, static_cast<char>(byte)) + "X";
        const std::optional<ScriptFileText> loaded = loadBytes(text);
        const bool allowed = byte == '\t' || byte == '\n' || byte == '\r';
        EXPECT_EQ(loaded.has_value(), allowed);
        EXPECT_EQ(feedback.texts(),
                  allowed ? std::vector<std::string>{} : std::vector<std::string>{Refused});
    }
    feedback.messages.clear();
    loadBytes("\f");
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].caption, "Error");
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::ScriptWindow);
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
}

TEST_F(ScriptFileTest, ANulEndsTheText) {
    const std::optional<ScriptFileText> loaded =
        loadBytes(std::string("SCREEN 5\0\f\x01 after", 16));
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text, "SCREEN 5");
}

TEST_F(ScriptFileTest, OnlyTheFirst29999BytesAreLoaded) {
    std::string text(40000, 'A');
    text[35000] = '\f'; // beyond the limit, so never looked at
    const std::optional<ScriptFileText> loaded = loadBytes(text);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text, std::string(29999, 'A'));
}

TEST_F(ScriptFileTest, AFileThatCannotBeOpened) {
    EXPECT_EQ(loadScriptFile(folder.file("missing.txt"), feedback, MessageOwner::None),
              std::nullopt);
    EXPECT_EQ(loadScriptFile(folder.path(), feedback), std::nullopt);
    ASSERT_EQ(feedback.messages.size(), 2u);
    EXPECT_EQ(feedback.messages[0].text, CannotOpen);
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
    EXPECT_EQ(feedback.messages[1].text, CannotOpen);
}

TEST_F(ScriptFileTest, Utf8FilesAreDetectedConvertedAndSavedBackTheSameWay) {
    struct Case {
        std::string file;
        ScriptFileEncoding encoding;
        bool byteOrderMark;
        std::string cp932;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBFSCREEN 5\n", ScriptFileEncoding::Utf8, true, "SCREEN 5\n"},
        {"\xEF\xBB\xBF画面モード 5", ScriptFileEncoding::Utf8, true,
         "\x89\xE6\x96\xCA\x83\x82\x81\x5B\x83\x68 5"},
        {"; 変換\r\nMSG \"ｱ\"", ScriptFileEncoding::Utf8, false,
         "; \x95\xCF\x8A\xB7\r\nMSG \"\xB1\""},
        {"SCREEN 5\n", ScriptFileEncoding::Cp932, false, "SCREEN 5\n"}, // ASCII only
        {"; \x95\xCF\x8A\xB7", ScriptFileEncoding::Cp932, false, "; \x95\xCF\x8A\xB7"}, // not UTF-8
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::optional<ScriptFileText> loaded = loadBytes(c.file);
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(loaded->text, c.cp932);
        EXPECT_EQ(loaded->encoding, c.encoding);
        EXPECT_EQ(loaded->hadByteOrderMark, c.byteOrderMark);
        const std::string copy = folder.file("copy.txt");
        ASSERT_TRUE(saveScriptFile(copy, *loaded, feedback));
        EXPECT_EQ(readFile(copy), bytesOf(c.file));
    }
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(ScriptFileTest, ACharacterWithoutACp932FormNamesItsLine) {
    EXPECT_EQ(loadBytes("SCREEN 5\n; caf\xC3\xA9\nSCREEN 8\n"), std::nullopt);
    EXPECT_EQ(loadBytes("\xEF\xBB\xBF; \xE5\xA4\x89\n\n\n; \xF0\x9F\x98\x80"), std::nullopt);
    // With a byte-order mark, bytes that are not UTF-8 are such characters too.
    EXPECT_EQ(loadBytes("\xEF\xBB\xBF\xFF"), std::nullopt);
    EXPECT_EQ(feedback.texts(),
              (std::vector<std::string>{"2 行目の文字は Shift-JIS に変換できません。",
                                        "4 行目の文字は Shift-JIS に変換できません。",
                                        "1 行目の文字は Shift-JIS に変換できません。"}));
    EXPECT_EQ(feedback.messages[0].caption, "Error");
}

TEST_F(ScriptFileTest, Utf8FilesAreCutAfterConversionBetweenCharacters) {
    std::string kana;
    for (int k = 0; k < 15000; ++k) {
        kana += "あ"; // three bytes of UTF-8, two of CP932
    }
    struct Case {
        std::string file;
        std::size_t length;
    };
    const Case cases[] = {
        {kana, 29998}, // 29,999 would end inside a character
        {"a" + kana, 29999},
        {kana + "\xC3\xA9", 29998}, // an unconvertible character beyond the limit is not read
        {std::string(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::optional<ScriptFileText> loaded = loadBytes(c.file);
        ASSERT_TRUE(loaded.has_value());
        EXPECT_EQ(loaded->text.size(), c.length);
    }
    // Half-width katakana: one CP932 byte from three UTF-8 bytes, so 90,000 bytes of file.
    std::string halfWidth;
    for (int k = 0; k < 30000; ++k) {
        halfWidth += "ｱ";
    }
    const std::optional<ScriptFileText> loaded = loadBytes(halfWidth);
    ASSERT_TRUE(loaded.has_value());
    EXPECT_EQ(loaded->text, std::string(29999, '\xB1'));
    EXPECT_EQ(loaded->encoding, ScriptFileEncoding::Utf8);
    EXPECT_TRUE(feedback.messages.empty());
}

TEST_F(ScriptFileTest, SavingFailuresLeaveTheEarlierFile) {
    const std::string path = folder.file("keep.txt");
    writeFile(path, bytesOf("OLD"));

    fileFaults().failCreate = true;
    EXPECT_FALSE(saveScriptFile(path, {"NEW TEXT", ScriptFileEncoding::Cp932}, feedback));
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{CannotOpen});
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::ScriptWindow);

    fileFaults() = FileFaults{};
    fileFaults().failWriteAfterBytes = 4;
    EXPECT_FALSE(saveScriptFile(path, {"NEW TEXT", ScriptFileEncoding::Cp932}, feedback));
    EXPECT_EQ(feedback.messages.size(), 1u); // a failed write is silent
    EXPECT_EQ(readFile(path), bytesOf("OLD"));
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"keep.txt"});
}

} // namespace
} // namespace tarvelo
