#pragma once

#include "cli/ConsoleFeedback.h"
#include "engine/ConversionSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvelo {

struct ScriptBatchResult {
    bool loaded = false;
    int runsEndedWithError = 0;
    int conversionProblems = 0;
    /// The script's own record as the last run left it.
    ConversionSettings lastSettings;
};

/// Runs a script file once for each picture (preset as the source name) or once with no source
/// name. `SETTING` has no dialog here and counts as cancelled. Previews that `CONVERT` stores
/// are saved into `previewFolder` when given, then dropped.
ScriptBatchResult runScriptFile(const std::string& scriptPath,
                                const std::vector<std::string>& pictures,
                                const ConversionSettings& currentSettings,
                                const std::optional<std::string>& outputFolder,
                                const std::optional<std::string>& previewFolder,
                                ConsolePrinter& printer);

/// 1-based line and column (in characters) of a byte position of a CP932 text.
struct TextPlace {
    int line = 1;
    int column = 1;
};
TextPlace placeOfPosition(const std::string& cp932Text, std::size_t position);

} // namespace tarvelo
