#include "script/ScriptCommands.h"

#include <array>
#include <vector>

namespace tarvelo {

namespace {

struct CommandEntry {
    std::string_view english;
    std::string_view japanese;
    ScriptCommand command;
};

// Every command has an English and a Japanese name; the comment has only its one character.
// Looked up in this order, the first match counting.
constexpr std::array<CommandEntry, 15> Commands = {{
    {"LOADSETTING", "設定読込", loadSettingCommand},
    {"CONVERT", "変換処理", convertCommand},
    {"SETFILENAME", "ファイル名", setFileNameCommand},
    {";", "", commentCommand},
    {"SCREEN", "画面モード", screenCommand},
    {"MSG", "メッセージ", messageCommand},
    {"SETFLAG", "フラグ", setFlagCommand},
    {"SETTING", "設定画面表示", settingDialogCommand},
    {"PALETTE", "パレット", paletteCommand},
    {"PALMODE", "パレット動作", paletteModeCommand},
    {"CUTERR", "切り捨て誤差", cutOffErrorCommand},
    {"GOSAVAL", "誤差拡散係数", diffusionCoefficientCommand},
    {"SELCOLMODE", "選色モード", colorSelectModeCommand},
    {"DITHERADD", "ディザ加算", ditherCombineCommand},
    {"ALGOMODE", "自然画生成", naturalImageAlgorithmCommand},
}};

const KeywordTable& commandNames() {
    static const KeywordTable table = [] {
        std::vector<ScriptKeyword> names;
        for (std::size_t k = 0; k < Commands.size(); ++k) {
            names.push_back(
                {Commands[k].english, Commands[k].japanese, static_cast<std::int32_t>(k)});
        }
        return KeywordTable(names);
    }();
    return table;
}

} // namespace

ScriptCommand findScriptCommand(std::string_view word) {
    const std::optional<std::int32_t> index = commandNames().find(word);
    return index ? Commands[static_cast<std::size_t>(*index)].command : nullptr;
}

} // namespace tarvelo
