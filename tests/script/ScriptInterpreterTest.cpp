#include "ScriptTestSupport.h"

#include "support/BmpBuilder.h"

#include <chrono>
#include <filesystem>

namespace tarvelo {
namespace {

using testing::ScriptRunFixture;

const std::string BadSyntax = "文法が不正です。";
const std::string BadScreen = "画面モードの指定が異常です。";
const std::string NoString = "文字列のあるべきところに文字列がありません。";
const std::string NoClosingQuote = "文字列の終端を示す \" が見つかりません。";
const std::string NoFileName = "ファイル名が指定されていません。";

using InterpreterTest = ScriptRunFixture;

TEST_F(InterpreterTest, EmptyAndBlankTextsEndAtOnceWithoutMessage) {
    for (const char* text : {"", " \t\r\n  ", ",SCREEN 8", "SCREEN 8 , SCREEN 12"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        const ScriptRunResult result = run(text);
        EXPECT_FALSE(result.endedWithError);
        EXPECT_TRUE(feedback.messages.empty());
    }
    // A stray comma where a command should stand ends the run silently, there.
    const ScriptRunResult result = run("SCREEN 8 , SCREEN 12");
    EXPECT_EQ(result.settings.screenMode, 2u);
    EXPECT_EQ(result.stopPosition, 9u);
}

TEST_F(InterpreterTest, CommandNamesIgnoreLetterCaseAndHaveJapaneseTwins) {
    for (const char* text :
         {"SCREEN 12", "screen 12", "ScReEn 12", "画面モード 12", "SCREEN\t12", "SCREEN\r\n12"}) {
        SCOPED_TRACE(text);
        const ScriptRunResult result = run(text);
        EXPECT_FALSE(result.endedWithError);
        EXPECT_EQ(result.settings.screenMode, 4u);
    }
    for (const char* text : {"convert", "CoNvErT", "変換処理"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        run(text);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{NoFileName});
    }
}

TEST_F(InterpreterTest, CaseIsIgnoredForSingleByteLettersOnly) {
    // "サ" is 0x83 0x54 and "フ" is 0x83 0x74: their second bytes look like "T" and "t", but a
    // double-byte character is compared exactly.
    const ScriptRunResult result = run("サァイル名 \"A.BMP\"");
    EXPECT_TRUE(result.endedWithError);
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSyntax});
    // Full-width letters are not ASCII letters either.
    feedback.messages.clear();
    EXPECT_TRUE(run("ＳＣＲＥＥＮ 5").endedWithError);
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSyntax});
}

TEST_F(InterpreterTest, ErrorBoxesHaveNoOwnerTheErrorCaptionAndTheWarningIcon) {
    run("SCREEN 6");
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, BadScreen);
    EXPECT_EQ(feedback.messages[0].caption, "Error");
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
}

TEST_F(InterpreterTest, CommentsNeedABlankAfterTheSemicolon) {
    ScriptRunResult result = run("; SCREEN 12 is not run\r\nSCREEN 8 ;, neither\nSCREEN 7");
    EXPECT_FALSE(result.endedWithError);
    EXPECT_EQ(result.settings.screenMode, 1u);
    EXPECT_TRUE(feedback.messages.empty());

    result = run("SCREEN 8\n;comment");
    EXPECT_TRUE(result.endedWithError);
    EXPECT_EQ(result.settings.screenMode, 2u);
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSyntax});
    EXPECT_EQ(result.stopPosition, 17u); // right after the word ";comment"
}

TEST_F(InterpreterTest, MessagesAreShownAsUtf8WithTheirOwnCaption) {
    const ScriptRunResult result = run("MSG \"変換を始めます。ﾃｽﾄ 1\"\nメッセージ \"\"");
    EXPECT_FALSE(result.endedWithError);
    ASSERT_EQ(feedback.messages.size(), 2u);
    EXPECT_EQ(feedback.messages[0].text, "変換を始めます。ﾃｽﾄ 1");
    EXPECT_EQ(feedback.messages[0].caption, "ﾒｯｾｰｼﾞ");
    EXPECT_EQ(feedback.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
    EXPECT_EQ(feedback.messages[1].text, "");
}

TEST_F(InterpreterTest, StringLimitsAndMissingQuotes) {
    // 1023 bytes fit a message, 1024 do not.
    EXPECT_FALSE(run("MSG \"" + std::string(1023, 'm') + "\"").endedWithError);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text.size(), 1023u);

    struct Case {
        std::string text;
        std::string message;
    };
    const Case cases[] = {
        {"MSG \"" + std::string(1024, 'm') + "\"", NoClosingQuote},
        {"MSG \"two\nlines\"", NoClosingQuote},
        {"MSG \"open", NoClosingQuote},
        {"MSG text", NoString},
        {"MSG", NoString},
        {"SETFILENAME \"" + std::string(32, 'f') + "\"", NoClosingQuote},
        {"LOADSETTING x.tvl", NoString},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        feedback.messages.clear();
        EXPECT_TRUE(run(c.text).endedWithError);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{c.message});
    }
}

TEST_F(InterpreterTest, SettingDialogWorksOnACopy) {
    current.screenMode = 0;
    host.edit = [](ConversionSettings& copy) { copy.cutOffError = 77; };

    // Cancel: nothing changes and the run goes on.
    ScriptRunResult result = run("SCREEN 8\nSETTING\nCUTERR 5");
    EXPECT_FALSE(result.endedWithError);
    ASSERT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(host.dialogs[0].caption, "変換設定(ｽｸﾘﾌﾟﾄﾓｰﾄﾞ)");
    EXPECT_EQ(host.dialogs[0].shown.screenMode, 2u);
    EXPECT_EQ(result.settings.cutOffError, 5u);

    host.acceptDialog = true;
    result = run("設定画面表示 SCREEN 12");
    EXPECT_EQ(result.settings.cutOffError, 77u);
    EXPECT_EQ(result.settings.screenMode, 4u);
    EXPECT_EQ(current.screenMode, 0u); // the caller's record is never touched
}

TEST_F(InterpreterTest, StopPositionAfterAFailure) {
    struct Case {
        std::string text;
        std::size_t stop;
    };
    const Case cases[] = {
        {"SCREEN 5\nBOGUS 1", 14},          // right after the unknown word
        {"SCREEN 5\nSCREEN =5", 15},        // the failed expression leaves the position
        {"SCREEN 12\nPALETTE 3 , 1/0", 21}, // after the separator, where the failed
                                            // expression started
        {"SCREEN 5 ;comment", 17},
        {std::string(40, 'A'), 31}, // a word is cut after 31 bytes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ScriptRunResult result = run(c.text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.stopPosition, c.stop);
    }
    // Commands after the failure are not read.
    EXPECT_EQ(run("SCREEN 7\nSCREEN 9\nSCREEN 12").settings.screenMode, 1u);
}

TEST_F(InterpreterTest, ANulByteEndsTheScript) {
    const ScriptRunResult result = runBytes(std::string("SCREEN 8\0SCREEN 12", 18));
    EXPECT_FALSE(result.endedWithError);
    EXPECT_EQ(result.settings.screenMode, 2u);
    EXPECT_EQ(result.stopPosition, 8u);
}

TEST_F(InterpreterTest, BytesOf0x80AndAboveAreOrdinaryCharacters) {
    // 0xFF and 0xA0 are neither blanks nor ends of a word or a string.
    ScriptRunResult result = runBytes("SCREEN 8 \xA0");
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSyntax});
    feedback.messages.clear();
    result = runBytes("MSG \"\xFF\x80\"");
    EXPECT_FALSE(result.endedWithError);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(InterpreterTest, LoadSettingReadsAFileNamedInCp932) {
    testing::TemporaryFolder folder;
    ConversionSettings stored;
    stored.screenMode = 3;
    stored.cutOffError = 9;
    ASSERT_TRUE(saveSettingsFile(stored, folder.file("設定.TVL")));
    // Names in scripts are at most 31 bytes, so the folder becomes the current directory.
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    current.screenMode = 4;
    const ScriptRunResult loaded = run("設定読込 \"設定.TVL\"");
    const ScriptRunResult missing = run("SCREEN 8 LOADSETTING \"NONE.TVL\" SCREEN 12");
    std::filesystem::current_path(previous);

    EXPECT_FALSE(loaded.endedWithError);
    EXPECT_EQ(loaded.settings, stored);
    EXPECT_TRUE(missing.endedWithError);
    EXPECT_EQ(missing.settings, ConversionSettings{}); // reset before the file was tried
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{"設定ファイルの読み込みに失敗しました。"});
}

TEST_F(InterpreterTest, ConvertWithoutANameFailsBeforeAnythingElse) {
    const ScriptRunResult result = run("CONVERT\nSCREEN 12");
    EXPECT_TRUE(result.endedWithError);
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{NoFileName});
    EXPECT_TRUE(host.progressEvents.empty());
    EXPECT_EQ(result.stopPosition, 7u);
}

TEST_F(InterpreterTest, FileNamesUpTo31Bytes) {
    // The name reaches the loader (and the progress box) as it was written.
    const std::string name31 = "名前は三十一バイトちょうどx.bmp"; // 13 double-byte + 5 bytes
    ASSERT_EQ(cp932(name31).size(), 31u);
    run("ファイル名 \"" + name31 + "\" CONVERT");
    ASSERT_FALSE(host.progressEvents.empty());
    EXPECT_EQ(host.progressEvents[0], "open " + name31);
    EXPECT_EQ(host.progressEvents.back(), "close");
    EXPECT_EQ(feedback.texts().back(), SourceLoadFailedMessage);
}

TEST_F(InterpreterTest, LongScriptsRunQuicklyWithoutDeepRecursion) {
    const auto start = std::chrono::steady_clock::now();
    std::string comments;
    while (comments.size() < 29998) {
        comments += ";\n";
    }
    comments += ";";
    ScriptRunResult result = runBytes(comments);
    EXPECT_FALSE(result.endedWithError);
    EXPECT_EQ(result.stopPosition, comments.size());

    std::string screens;
    while (screens.size() + 9 <= 29999) {
        screens += "SCREEN 8\n";
    }
    EXPECT_FALSE(runBytes(screens).endedWithError);

    EXPECT_TRUE(runBytes("SCREEN " + std::string(29990, '(')).endedWithError);
    EXPECT_TRUE(runBytes("CUTERR " + std::string(29990, '-') + "1").endedWithError);
    EXPECT_TRUE(runBytes("MSG \"" + std::string(29990, 'x')).endedWithError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

} // namespace
} // namespace tarvelo
