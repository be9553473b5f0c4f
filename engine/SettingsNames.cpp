#include "engine/SettingsNames.h"

#include <array>

namespace tarvelo {

namespace {

constexpr std::array<std::string_view, 5> ScreenModes = {"SCREEN5", "SCREEN7", "SCREEN8",
                                                         "SCREEN10/11", "SCREEN12"};
constexpr std::array<std::string_view, 3> OutputTargets = {
    "ファイルへ出力", "プレビューのみ作成", "プレビューを作成してファイルへ出力"};
constexpr std::array<std::string_view, 2> ColorSelectModes = {"分散", "多分布"};
constexpr std::array<std::string_view, 4> PaletteOutputs = {
    "出力しない", "画像に結合(COLOR=RESTORE用)", "グラフサウルス *.PL? 形式", "CSV形式"};
constexpr std::array<std::string_view, 5> NaturalImageAlgorithms = {
    "なし", "誤差訂正", "MSX2+ﾊﾟﾜﾌﾙ活用法ﾚｲﾄﾚ方式", "NTSC(R:G:B=30:59:11)",
    "NTSC改(R:G:B=40:49:6)"};
constexpr std::array<std::string_view, 9> DitherPatternLabels = {
    "なし",       "疑似ランダム", "高度な網がけ", "縦長の網がけ", "レンガ模様",
    "つぶつぶ模様", "粗い網がけ",   "薄い網がけ",   "ハーフトーン"};
constexpr std::array<std::string_view, 3> PaletteEntryModes = {"色自動決定", "使用無許可",
                                                               "設定色を使用"};
constexpr std::array<std::string_view, 5> ColorPrecisions = {
    "24bit(完全)", "21bit(1bit捨て)", "18bit(2bit捨て)", "15bit(3bit捨て)", "12bit(4bit捨て)"};
constexpr std::array<std::string_view, 4> DitherCombines = {"回転", "同位相", "Ｘずらし",
                                                            "Ｙずらし"};

} // namespace

std::span<const std::string_view> screenModeNames() { return ScreenModes; }
std::span<const std::string_view> outputTargetNames() { return OutputTargets; }
std::span<const std::string_view> colorSelectModeNames() { return ColorSelectModes; }
std::span<const std::string_view> paletteOutputNames() { return PaletteOutputs; }
std::span<const std::string_view> naturalImageAlgorithmNames() { return NaturalImageAlgorithms; }
std::span<const std::string_view> ditherPatternNames() { return DitherPatternLabels; }
std::span<const std::string_view> paletteEntryModeNames() { return PaletteEntryModes; }
std::span<const std::string_view> colorPrecisionNames() { return ColorPrecisions; }
std::span<const std::string_view> ditherCombineNames() { return DitherCombines; }

std::string_view nameOf(std::span<const std::string_view> names, std::uint32_t value) {
    return value < names.size() ? names[value] : std::string_view{};
}

std::string_view flagName(std::uint8_t flag) { return flag != 0 ? "使用" : "未使用"; }

std::string_view skipColorZeroName(std::uint8_t flag) {
    return flag != 0 ? "0番使用禁止" : "0番も使用する";
}

} // namespace tarvelo
