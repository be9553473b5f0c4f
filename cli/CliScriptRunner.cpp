#include "cli/CliScriptRunner.h"

#include "cli/BatchConverter.h"
#include "cli/PictureLoading.h"
#include "cli/QtPictureIo.h"
#include "engine/ConversionPipeline.h"
#include "engine/PreviewRenderer.h"
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"
#include "script/ScriptFile.h"
#include "script/ScriptInterpreter.h"
#include "script/ShiftJis.h"

#include <filesystem>

namespace tarvelo {

namespace {

class CliScriptHost : public ScriptHost {
public:
    explicit CliScriptHost(ConsolePrinter& printer) : m_printer(printer) {}

    bool editSettings(ConversionSettings&, std::string_view) override {
        m_printer.printLine("SETTING: 設定画面はコマンドラインでは開けません。"
                            "取り消されたものとして続けます。");
        return false;
    }
    void openProgressBox(std::string_view text) override {
        m_printer.showProgress("変換中: " + std::string(text));
    }
    void closeProgressBox() override { m_printer.clearProgress(); }

private:
    ConsolePrinter& m_printer;
};

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

} // namespace

TextPlace placeOfPosition(const std::string& text, std::size_t position) {
    TextPlace place;
    for (std::size_t i = 0; i < position && i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\n') {
            ++place.line;
            place.column = 1;
            continue;
        }
        if (isLeadByte(byte) && i + 1 < position) {
            ++i;
        }
        ++place.column;
    }
    return place;
}

ScriptBatchResult runScriptFile(const std::string& scriptPath,
                                const std::vector<std::string>& pictures,
                                const ConversionSettings& currentSettings,
                                const std::optional<std::string>& outputFolder,
                                const std::optional<std::string>& previewFolder,
                                ConsolePrinter& printer) {
    ScriptBatchResult result;
    result.lastSettings = currentSettings;
    ConsoleFeedback feedback(printer);
    feedback.setPicture(scriptPath);
    const std::optional<ScriptFileText> script =
        loadScriptFile(scriptPath, feedback, MessageOwner::None);
    if (!script) {
        return result;
    }
    result.loaded = true;
    if (previewFolder) {
        std::error_code error;
        std::filesystem::create_directories(*previewFolder, error);
    }

    SourcePictureStore sources;
    acceptOtherPictureFormats(sources);
    PreviewStore previews(sources);
    ConversionServices services{sources, previews, feedback, {}, {}, outputFolder};
    // The command line shows nothing: a stored preview is saved when asked for, then dropped.
    services.redrawMainDisplay = [&] {
        const int slot = previews.currentPreview();
        if (slot < 0) {
            return;
        }
        if (previewFolder) {
            const std::string& source = sources.slot(previews.slot(slot).sourceIndex).path;
            const std::string target = previewFileFor(*previewFolder, source);
            if (!savePng(previews.slot(slot).resultPixels, PreviewWidth, PreviewHeight, target)) {
                feedback.showMessage(target + " に書き込めません。", "Error", MessageOwner::None,
                                     MessageIcon::Warning);
            }
        }
        previews.freePreview(slot);
    };
    CliScriptHost host(printer);

    std::vector<std::string> names = pictures;
    if (names.empty()) {
        names.emplace_back();
    }
    for (const std::string& picture : names) {
        feedback.setPicture(picture.empty() ? scriptPath : picture);
        feedback.resetProblems();
        std::size_t badAt = 0;
        const std::optional<std::string> sourceName = utf8ToCp932(picture, &badAt);
        if (!sourceName) {
            feedback.showMessage("ファイル名を Shift-JIS に変換できません。", "Error",
                                 MessageOwner::None, MessageIcon::Warning);
            ++result.runsEndedWithError;
            continue;
        }
        const ScriptRunResult run =
            runScript(script->text, *sourceName, currentSettings, services, host);
        result.lastSettings = run.settings;
        if (run.endedWithError) {
            const TextPlace place = placeOfPosition(script->text, run.stopPosition);
            printer.printLine(scriptPath + ":" + std::to_string(place.line) + ":" +
                              std::to_string(place.column) + ": スクリプトはここで止まりました。");
            ++result.runsEndedWithError;
        }
        result.conversionProblems += feedback.problems();
    }
    return result;
}

} // namespace tarvelo
