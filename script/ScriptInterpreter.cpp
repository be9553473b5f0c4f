#include "script/ScriptInterpreter.h"

#include "engine/SourcePictureStore.h"
#include "script/ScriptCommands.h"
#include "script/ShiftJis.h"

namespace tarvelo {

ScriptRunResult runScript(std::string_view text, std::string_view initialSourceName,
                          const ConversionSettings& currentSettings, ConversionServices& services,
                          ScriptHost& host) {
    ScriptRun run{ScriptReader(text, services.feedback), currentSettings,
                  std::string(initialSourceName), services, host};
    ScriptReader& reader = run.reader;
    bool endedWithError = false;
    while (!reader.atEnd()) {
        // An empty word ends the run without a message: the normal end of every script, and
        // also what a stray "," or "=" where a command should stand does.
        const std::string_view word = reader.readWord();
        if (word.empty()) {
            break;
        }
        const ScriptCommand command = findScriptCommand(word);
        if (command == nullptr) {
            reader.fail("文法が不正です。");
            endedWithError = true;
            break;
        }
        if (!command(run)) {
            endedWithError = true;
            break;
        }
    }
    return {reader.position(), endedWithError, run.settings};
}

bool loadSettingCommand(ScriptRun& run) {
    const std::optional<std::string> name = run.reader.readString(FileNameStringSize);
    if (!name) {
        return false;
    }
    // The record is reset before the file is opened, so a failed load leaves the defaults.
    if (!loadSettingsFile(run.settings, cp932PathToFileSystem(*name))) {
        return run.reader.fail("設定ファイルの読み込みに失敗しました。");
    }
    return true;
}

bool convertCommand(ScriptRun& run) {
    if (run.sourceName.empty()) {
        return run.reader.fail("ファイル名が指定されていません。");
    }
    ConversionServices& services = run.services;
    run.host.openProgressBox(cp932ToUtf8(run.sourceName));
    const int source =
        services.sources.loadBmpFile(cp932PathToFileSystem(run.sourceName), services.feedback);
    if (source < 0) {
        run.reader.fail(SourceLoadFailedMessage);
        run.host.closeProgressBox();
        return false;
    }
    // The conversion writes the colours it chose into the script's record, so a later CONVERT
    // of the same run starts from them. A failed conversion has shown its own message and does
    // not stop the script.
    const int preview = convertPicture(run.settings, source, services);
    if (preview < 0) {
        // No preview took over the reference to the picture.
        services.sources.releaseSource(source);
    }
    run.host.closeProgressBox();
    return true;
}

bool setFileNameCommand(ScriptRun& run) {
    std::optional<std::string> name = run.reader.readString(FileNameStringSize);
    if (!name) {
        return false;
    }
    run.sourceName = std::move(*name);
    return true;
}

bool commentCommand(ScriptRun& run) {
    run.reader.skipToEndOfLine();
    return true;
}

bool messageCommand(ScriptRun& run) {
    const std::optional<std::string> text = run.reader.readString(MessageStringSize);
    if (!text) {
        return false;
    }
    run.services.feedback.showMessage(cp932ToUtf8(*text), "ﾒｯｾｰｼﾞ", MessageOwner::None,
                                      MessageIcon::None);
    return true;
}

bool settingDialogCommand(ScriptRun& run) {
    ConversionSettings workingCopy = run.settings;
    // Cancel keeps the record as it was and the run goes on.
    if (run.host.editSettings(workingCopy, "変換設定(ｽｸﾘﾌﾟﾄﾓｰﾄﾞ)")) {
        run.settings = workingCopy;
    }
    return true;
}

} // namespace tarvelo
