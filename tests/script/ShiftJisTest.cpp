#include "script/ShiftJis.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

const std::string Replacement = "\xEF\xBF\xBD";

TEST(ShiftJis, Cp932ToUtf8) {
    struct Case {
        std::string cp932;
        std::string utf8;
    };
    const Case cases[] = {
        {"SCREEN 5\r\n", "SCREEN 5\r\n"},
        {"\x82\xA0", "あ"},
        {"\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC", "ファイル名"},
        {"\xD2\xAF\xBE\xB0\xBC\xDE", "ﾒｯｾｰｼﾞ"}, // half-width katakana
        {"\x95\x5C", "表"},                     // second byte 0x5C
        {"C:\\PIC\\A.BMP", "C:\\PIC\\A.BMP"},   // 0x5C stays a backslash in paths
        {"\x80", Replacement},                  // no character at all
        {"A\x85\x40"
         "B",
         "A" + Replacement + "B"},    // an unassigned pair is one character
        {"A\x82", "A" + Replacement}, // a lead byte cut by the end
        {std::string("\xA0\xFD\xFF", 3), Replacement + Replacement + Replacement},
        {std::string("A\0B", 3), std::string("A\0B", 3)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(cp932ToUtf8(c.cp932), c.utf8);
    }
    EXPECT_EQ(cp932PathToFileSystem("\x90\xDD\x92\xE8.TVL"), "設定.TVL");
}

TEST(ShiftJis, Utf8ToCp932) {
    EXPECT_EQ(utf8ToCp932("パレット動作"),
              std::optional<std::string>("\x83\x70\x83\x8C\x83\x62\x83\x67\x93\xAE\x8D\xEC"));
    EXPECT_EQ(utf8ToCp932("Ｘずらし"),
              std::optional<std::string>("\x82\x77\x82\xB8\x82\xE7\x82\xB5"));
    EXPECT_EQ(utf8ToCp932(""), std::optional<std::string>(""));

    struct Failure {
        std::string utf8;
        std::size_t at;
    };
    const Failure failures[] = {
        {"ab\xC3\xA9", 2},           // é has no CP932 form
        {"変換\xF0\x9F\x98\x80", 6}, // an emoji
        {"ok\xFF", 2},               // not UTF-8
        {"ok\xE3\x81", 2},           // a character cut by the end
    };
    for (const Failure& f : failures) {
        SCOPED_TRACE(f.utf8);
        std::size_t failedAt = 999;
        EXPECT_EQ(utf8ToCp932(f.utf8, &failedAt), std::nullopt);
        EXPECT_EQ(failedAt, f.at);
    }
}

TEST(ShiftJis, Cp932LiteralsAndLeadBytes) {
    EXPECT_EQ(cp932Literal("設定画面表示"), "\x90\xDD\x92\xE8\x89\xE6\x96\xCA\x95\x5C\x8E\xA6");
    for (int byte = 0; byte < 256; ++byte) {
        const bool lead = (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        EXPECT_EQ(isCp932LeadByte(static_cast<unsigned char>(byte)), lead) << byte;
    }
}

TEST(ShiftJis, CaseIsIgnoredForAsciiLettersOnly) {
    struct Case {
        std::string a;
        std::string b;
        bool equal;
    };
    const Case cases[] = {
        {"SCREEN", "screen", true},
        {"SetFlag", "SETFLAG", true},
        {"SCREEN", "SCREEN5", false},
        {"", "", true},
        {"@", "`", false}, // 0x40 and 0x60 are no letters
        {"[", "{", false},
        {"\x83\x74", "\x83\x54", false}, // フ and サ
        {"\x83\x74\x83\x40", "\x83\x74\x83\x40", true},
        {"\x82\x61", "\x82\x81", false}, // Ａ and ａ (full width)
        {"\xC1", "\xE1", false},         // Á and á in Latin-1
        {"A\x83\x74z", "a\x83\x74Z", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a + " / " + c.b);
        EXPECT_EQ(equalsIgnoringAsciiCase(c.a, c.b), c.equal);
        EXPECT_EQ(equalsIgnoringAsciiCase(c.b, c.a), c.equal);
    }
}

} // namespace
} // namespace tarvelo
