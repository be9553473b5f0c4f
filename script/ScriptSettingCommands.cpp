#include "script/ScriptCommands.h"

#include <array>
#include <cstdint>

namespace tarvelo {

namespace {

// The on/off settings `SETFLAG` names; the value of a name indexes FlagFields. INTERACE is the
// spelling scripts have always used, so INTERLACE is not a flag name.
constexpr std::array<ScriptKeyword, 8> FlagNames = {{
    {"GOSA", "誤差拡散", 0},
    {"INTERACE", "インターレース", 1},
    {"PALNOCHG", "固定パレット", 2},
    {"RESIZE", "サイズ調節", 3},
    {"AUTONAME", "自動ファイル名", 4},
    {"COLORRECALC", "色差再計算", 5},
    {"ZERONOUSE", "ゼロ使用不可", 6},
    {"TILE", "タイル", 7},
}};

constexpr std::array<std::uint8_t ConversionSettings::*, 8> FlagFields = {
    &ConversionSettings::errorDiffusion,  &ConversionSettings::interlace,
    &ConversionSettings::allFixedPalette, &ConversionSettings::resize,
    &ConversionSettings::autoFileName,    &ConversionSettings::jkRecalc,
    &ConversionSettings::skipColorZero,   &ConversionSettings::meshTile,
};

constexpr std::array<ScriptKeyword, 4> FlagValues = {{
    {"TRUE", "", 1},
    {"FALSE", "", 0},
    {"ON", "", 1},
    {"OFF", "", 0},
}};

constexpr std::array<ScriptKeyword, 3> EntryModes = {{
    {"NOUSE", "未使用", EntryNotUsed},
    {"AUTO", "自動", EntryAutomatic},
    {"CUSTOM", "指定", EntryFixed},
}};

constexpr std::array<ScriptKeyword, 2> SelectionModes = {{
    {"SCATTER", "分散", 0},
    {"MAX", "多分布", 1},
}};

constexpr std::array<ScriptKeyword, 4> DitherCombinations = {{
    {"ROTATE", "回転", 0},
    {"NONE", "同位相", 1},
    {"X", "Ｘずらし", 2},
    {"Y", "Ｙずらし", 3},
}};

constexpr std::array<ScriptKeyword, 5> Algorithms = {{
    {"NONE", "無し", 0},
    {"RECALC", "再計算", 1},
    {"POWERFUL", "パワフル", 2},
    {"NTSC", "ＮＴＳＣ", 3},
    {"NTSC2", "ＮＴＳＣ改", 4},
}};

// Each table is converted to CP932 once, at its first use.
const KeywordTable& flagNames() {
    static const KeywordTable table(FlagNames);
    return table;
}
const KeywordTable& flagValues() {
    static const KeywordTable table(FlagValues);
    return table;
}
const KeywordTable& entryModes() {
    static const KeywordTable table(EntryModes);
    return table;
}
const KeywordTable& selectionModes() {
    static const KeywordTable table(SelectionModes);
    return table;
}
const KeywordTable& ditherCombinations() {
    static const KeywordTable table(DitherCombinations);
    return table;
}
const KeywordTable& algorithms() {
    static const KeywordTable table(Algorithms);
    return table;
}

/// An expression whose value lies in first..last, or nothing.
std::optional<std::int32_t> readNumberIn(ScriptReader& reader, std::int32_t first,
                                         std::int32_t last) {
    const std::optional<std::int32_t> value = reader.readNumber();
    if (!value || *value < first || *value > last) {
        return std::nullopt;
    }
    return value;
}

/// The `screenMode` of an MSX SCREEN number; SCREEN10 and SCREEN11 share one encoding and differ
/// only in how BASIC treats the data.
std::optional<std::uint32_t> screenModeOf(std::int32_t screen) {
    switch (screen) {
    case 5:
        return static_cast<std::uint32_t>(ScreenMode::Screen5);
    case 7:
        return static_cast<std::uint32_t>(ScreenMode::Screen7);
    case 8:
        return static_cast<std::uint32_t>(ScreenMode::Screen8);
    case 10:
    case 11:
        return static_cast<std::uint32_t>(ScreenMode::Screen10_11);
    case 12:
        return static_cast<std::uint32_t>(ScreenMode::Screen12);
    default:
        return std::nullopt;
    }
}

} // namespace

bool screenCommand(ScriptRun& run) {
    const std::optional<std::int32_t> screen = run.reader.readNumber();
    const std::optional<std::uint32_t> mode = screen ? screenModeOf(*screen) : std::nullopt;
    if (!mode) {
        return run.reader.fail("画面モードの指定が異常です。");
    }
    run.settings.screenMode = *mode;
    return true;
}

bool setFlagCommand(ScriptRun& run) {
    ScriptReader& reader = run.reader;
    const std::optional<std::int32_t> flag = flagNames().find(reader.readWord());
    if (!flag || reader.atEnd()) {
        return reader.fail("フラグ名の指定が異常です。");
    }
    // One separator byte, "=" or ",", with blanks allowed on either side.
    reader.skipBlanks();
    std::optional<std::int32_t> value;
    if (reader.skipSeparator()) {
        value = flagValues().find(reader.readWord());
    }
    if (!value) {
        return reader.fail("フラグ値の指定が異常です。");
    }
    run.settings.*FlagFields[static_cast<std::size_t>(*flag)] = static_cast<std::uint8_t>(*value);
    return true;
}

bool paletteCommand(ScriptRun& run) {
    ScriptReader& reader = run.reader;
    const std::optional<std::int32_t> index = readNumberIn(reader, 0, 15);
    std::array<std::int32_t, 3> levels{}; // red, green, blue
    bool ok = index.has_value();
    for (std::size_t k = 0; ok && k < levels.size(); ++k) {
        const std::optional<std::int32_t> level =
            reader.skipSeparator() ? readNumberIn(reader, 0, 7) : std::nullopt;
        ok = level.has_value();
        levels[k] = level.value_or(0);
    }
    if (!ok) {
        return reader.fail("パレット設定が異常です。");
    }
    PaletteEntry& entry = run.settings.palette[static_cast<std::size_t>(*index)];
    entry.red = levels[0];
    entry.green = levels[1];
    entry.blue = levels[2];
    return true;
}

bool paletteModeCommand(ScriptRun& run) {
    ScriptReader& reader = run.reader;
    const std::optional<std::int32_t> index = readNumberIn(reader, 0, 15);
    if (!index) {
        return reader.fail("パレット設定が異常です。");
    }
    const std::optional<std::int32_t> mode =
        reader.skipSeparator() ? entryModes().find(reader.readWord()) : std::nullopt;
    if (!mode) {
        return reader.fail("パレットの動作モード指定が異常です。");
    }
    run.settings.paletteEntryMode[static_cast<std::size_t>(*index)] =
        static_cast<std::uint8_t>(*mode);
    return true;
}

bool cutOffErrorCommand(ScriptRun& run) {
    const std::optional<std::int32_t> value = readNumberIn(run.reader, 0, 255);
    if (!value) {
        return run.reader.fail("切り捨て誤差の値指定が異常です。");
    }
    run.settings.cutOffError = static_cast<std::uint32_t>(*value);
    return true;
}

bool diffusionCoefficientCommand(ScriptRun& run) {
    const std::optional<std::int32_t> value = readNumberIn(run.reader, 0, 500);
    if (!value) {
        return run.reader.fail("誤差拡散係数の指定値が異常です。");
    }
    // Thousandths, multiplied in single precision as the dialog does: 430 gives 0.43f exactly.
    run.settings.diffusionCoefficient = static_cast<float>(*value) * 0.001f;
    return true;
}

bool colorSelectModeCommand(ScriptRun& run) {
    ScriptReader& reader = run.reader;
    // The leading number is read and must be an expression, but its value is not used.
    std::optional<std::int32_t> mode;
    if (reader.readNumber() && reader.skipSeparator()) {
        mode = selectionModes().find(reader.readWord());
    }
    if (!mode) {
        return reader.fail("選色モードの指定値が異常です。");
    }
    run.settings.colorSelectMode = static_cast<std::uint32_t>(*mode);
    return true;
}

bool ditherCombineCommand(ScriptRun& run) {
    const std::optional<std::int32_t> value = ditherCombinations().find(run.reader.readWord());
    if (!value) {
        return run.reader.fail("ディザ加算方法の指定が異常です。");
    }
    run.settings.ditherCombine = static_cast<std::uint32_t>(*value);
    return true;
}

bool naturalImageAlgorithmCommand(ScriptRun& run) {
    const std::optional<std::int32_t> value = algorithms().find(run.reader.readWord());
    if (!value) {
        return run.reader.fail("自然画生成アルゴリズムの指定が異常です。");
    }
    run.settings.naturalImageAlgorithm = static_cast<std::uint32_t>(*value);
    return true;
}

} // namespace tarvelo
