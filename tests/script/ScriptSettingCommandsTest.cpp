#include "ScriptTestSupport.h"

#include <bit>

namespace tarvelo {
namespace {

using testing::ScriptRunFixture;

const std::string BadSyntax = "文法が不正です。";
const std::string BadScreen = "画面モードの指定が異常です。";
const std::string BadPalette = "パレット設定が異常です。";
const std::string BadEntryMode = "パレットの動作モード指定が異常です。";
const std::string BadFlagName = "フラグ名の指定が異常です。";
const std::string BadFlagValue = "フラグ値の指定が異常です。";
const std::string BadSelection = "選色モードの指定値が異常です。";

using SettingCommandTest = ScriptRunFixture;

TEST_F(SettingCommandTest, ScreenNumbers) {
    struct Case {
        const char* text;
        bool ok;
        std::uint32_t mode;
    };
    const Case cases[] = {
        {"SCREEN 5", true, 0},    {"SCREEN 7", true, 1},   {"SCREEN 8", true, 2},
        {"SCREEN 10", true, 3},   {"SCREEN 11", true, 3},  {"SCREEN 12", true, 4},
        {"SCREEN 2*4", true, 2},  {"SCREEN 0CH", true, 4}, {"SCREEN 6", false, 0},
        {"SCREEN -5", false, 0},  {"SCREEN=5", false, 0},  {"SCREEN", false, 0},
        {"SCREEN 7/0", false, 0},
    };
    current.screenMode = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        feedback.messages.clear();
        const ScriptRunResult result = run(c.text);
        EXPECT_EQ(result.endedWithError, !c.ok);
        EXPECT_EQ(result.settings.screenMode, c.mode);
        EXPECT_EQ(feedback.texts(),
                  c.ok ? std::vector<std::string>{} : std::vector<std::string>{BadScreen});
    }
    // Written together with its number, SCREEN is one word that is no command.
    feedback.messages.clear();
    const ScriptRunResult joined = run("SCREEN5");
    EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSyntax});
    EXPECT_EQ(joined.stopPosition, 7u);
}

TEST_F(SettingCommandTest, PaletteSetsOneEntryOrNothing) {
    ScriptRunResult result = run("PALETTE 3, 7, 0, 7\nPALETTE 15 ,1,2 , 3");
    EXPECT_FALSE(result.endedWithError);
    EXPECT_EQ(result.settings.palette[3], (PaletteEntry{.green = 0, .red = 7, .blue = 7}));
    EXPECT_EQ(result.settings.palette[15], (PaletteEntry{.green = 2, .red = 1, .blue = 3}));

    for (const char* text :
         {"PALETTE 16, 0, 0, 0", "PALETTE 3, 8, 0, 0", "PALETTE -1,0,0,0", "PALETTE 3, 0, 0, -1",
          "PALETTE 3, 1, 1", "PALETTE 3 1, 1, 1", "PALETTE 3, 1, 1, X", "PALETTE"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        result = run(text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.settings.palette, current.palette);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadPalette});
    }
}

TEST_F(SettingCommandTest, PaletteModeKeywords) {
    ScriptRunResult result =
        run("PALMODE 0, NOUSE\nPALMODE 1,custom\nPALMODE 2 , 指定\nPALMODE 3,未使用\n"
            "PALMODE 1+1+1+1, Custom\nPALMODE 4,自動");
    EXPECT_FALSE(result.endedWithError);
    const std::array<std::uint8_t, 5> expected = {1, 2, 2, 1, 0};
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(result.settings.paletteEntryMode[k], expected[k]) << "entry " << k;
    }

    struct Case {
        const char* text;
        std::string message;
    };
    const Case cases[] = {
        {"PALMODE 16, AUTO", BadPalette},   {"PALMODE , AUTO", BadPalette},
        {"PALMODE 2, FIXED", BadEntryMode}, {"PALMODE 2,", BadEntryMode},
        {"PALMODE 2", BadEntryMode},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        feedback.messages.clear();
        result = run(c.text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.settings.paletteEntryMode, current.paletteEntryMode);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{c.message});
    }
}

TEST_F(SettingCommandTest, CutOffErrorRange) {
    EXPECT_EQ(run("CUTERR 255").settings.cutOffError, 255u);
    EXPECT_EQ(run("切り捨て誤差 0").settings.cutOffError, 0u);
    for (const char* text : {"CUTERR 256", "CUTERR -1", "CUTERR"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        EXPECT_TRUE(run(text).endedWithError);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{"切り捨て誤差の値指定が異常です。"});
    }
}

TEST_F(SettingCommandTest, DiffusionCoefficientInThousandthsInSinglePrecision) {
    struct Case {
        const char* text;
        std::int32_t thousandths;
    };
    const Case cases[] = {{"GOSAVAL 430", 430},
                          {"GOSAVAL 0", 0},
                          {"GOSAVAL 500", 500},
                          {"誤差拡散係数 1", 1},
                          {"GOSAVAL 333", 333}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        // Both factors as single-precision floats, the product rounded once to single.
        volatile float factor = 0.001f;
        const float expected = static_cast<float>(c.thousandths) * factor;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(run(c.text).settings.diffusionCoefficient),
                  std::bit_cast<std::uint32_t>(expected));
    }
    // 430 x 0.001f rounds to the very float the default record stores for 0.43.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(run("GOSAVAL 430").settings.diffusionCoefficient),
              0x3EDC28F6u);
    EXPECT_EQ(run("GOSAVAL 500").settings.diffusionCoefficient, 0.5f);

    current.diffusionCoefficient = 0.25f;
    for (const char* text : {"GOSAVAL 501", "GOSAVAL -1"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        const ScriptRunResult result = run(text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.settings.diffusionCoefficient, 0.25f);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{"誤差拡散係数の指定値が異常です。"});
    }
}

TEST_F(SettingCommandTest, SelectionModeNeedsAnExpressionBeforeItsKeyword) {
    EXPECT_EQ(run("SELCOLMODE 0, MAX").settings.colorSelectMode, 1u);
    current.colorSelectMode = 1;
    EXPECT_EQ(run("選色モード 99*2, 分散").settings.colorSelectMode, 0u);
    EXPECT_EQ(run("SELCOLMODE 0, scatter").settings.colorSelectMode, 0u);
    for (const char* text :
         {"SELCOLMODE MAX", "SELCOLMODE 0, MIN", "SELCOLMODE 0,", "SELCOLMODE 1/0, MAX"}) {
        SCOPED_TRACE(text);
        feedback.messages.clear();
        const ScriptRunResult result = run(text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.settings.colorSelectMode, 1u);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{BadSelection});
    }
}

TEST_F(SettingCommandTest, DitherCombinationAndAlgorithmKeywords) {
    struct Case {
        const char* text;
        std::uint32_t ditherCombine;
        std::uint32_t algorithm;
    };
    current.ditherCombine = 0;
    current.naturalImageAlgorithm = 1;
    const Case cases[] = {
        {"DITHERADD NONE", 1, 1},      {"DITHERADD x", 2, 1},         {"ディザ加算 Ｙずらし", 3, 1},
        {"DITHERADD 同位相", 1, 1},    {"ALGOMODE NONE", 0, 0},       {"ALGOMODE ntsc2", 0, 4},
        {"自然画生成 パワフル", 0, 2}, {"ALGOMODE ＮＴＳＣ改", 0, 4}, {"ALGOMODE 無し", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const ScriptRunResult result = run(c.text);
        EXPECT_FALSE(result.endedWithError);
        EXPECT_EQ(result.settings.ditherCombine, c.ditherCombine);
        EXPECT_EQ(result.settings.naturalImageAlgorithm, c.algorithm);
    }
    run("DITHERADD ROTATION");
    run("ALGOMODE");
    EXPECT_EQ(feedback.texts(),
              (std::vector<std::string>{"ディザ加算方法の指定が異常です。",
                                        "自然画生成アルゴリズムの指定が異常です。"}));
}

TEST_F(SettingCommandTest, EveryFlagNameSetsItsOwnByteOfTheRecord) {
    struct Case {
        const char* english;
        const char* japanese;
        std::size_t offset; // where the flag lives in the stored record
    };
    const Case cases[] = {
        {"GOSA", "誤差拡散", 8},
        {"INTERACE", "インターレース", 9},
        {"PALNOCHG", "固定パレット", 20},
        {"RESIZE", "サイズ調節", 21},
        {"AUTONAME", "自動ファイル名", 220},
        {"COLORRECALC", "色差再計算", 228},
        {"ZERONOUSE", "ゼロ使用不可", 264},
        {"TILE", "タイル", 284},
    };
    for (const Case& c : cases) {
        for (const std::string name : {c.english, c.japanese}) {
            SCOPED_TRACE(name);
            current = ConversionSettings{};
            SettingsBytes before = settingsToBytes(current);
            before[c.offset] = 0;
            current = settingsFromBytes(before);
            const ScriptRunResult on = run("SETFLAG " + name + "=ON");
            SettingsBytes expected = before;
            expected[c.offset] = 1;
            EXPECT_EQ(settingsToBytes(on.settings), expected);
            current = on.settings;
            EXPECT_EQ(settingsToBytes(run("フラグ " + name + ",false").settings), before);
        }
    }
}

TEST_F(SettingCommandTest, FlagSeparatorsAndFailures) {
    current.interlace = 0;
    for (const char* text : {"SETFLAG INTERACE=ON", "SETFLAG INTERACE , ON",
                             "SETFLAG interace= true", "SETFLAG INTERACE\n=\nON"}) {
        SCOPED_TRACE(text);
        const ScriptRunResult result = run(text);
        EXPECT_FALSE(result.endedWithError);
        EXPECT_EQ(result.settings.interlace, 1);
    }
    struct Case {
        const char* text;
        std::string message;
    };
    const Case cases[] = {
        {"SETFLAG INTERLACE=ON", BadFlagName}, {"SETFLAG =ON", BadFlagName},
        {"SETFLAG GOSA", BadFlagName},     // the end of the text right after the name
        {"SETFLAG GOSA ", BadFlagValue},   // only blanks up to the end
        {"SETFLAG GOSA ON", BadFlagValue}, // "O" is taken as the separator
        {"SETFLAG GOSA=", BadFlagValue},       {"SETFLAG GOSA=YES", BadFlagValue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        feedback.messages.clear();
        const ScriptRunResult result = run(c.text);
        EXPECT_TRUE(result.endedWithError);
        EXPECT_EQ(result.settings, current);
        EXPECT_EQ(feedback.texts(), std::vector<std::string>{c.message});
    }
}

} // namespace
} // namespace tarvelo
