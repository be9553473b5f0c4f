#pragma once

#include "engine/ConversionPipeline.h"
#include "engine/ConversionSettings.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvelo {

/// What a script run needs besides the conversion services: the settings dialog for `SETTING`
/// and the script's own progress box for `CONVERT`.
class ScriptHost {
public:
    virtual ~ScriptHost() = default;
    /// Shows the settings dialog on `workingCopy` under `caption` (UTF-8); true when it was
    /// closed with OK (the working copy then holds the edited record).
    virtual bool editSettings(ConversionSettings& workingCopy, std::string_view caption) = 0;
    /// Opens the progress box with a text (UTF-8), the bar at 0.
    virtual void openProgressBox(std::string_view text) = 0;
    virtual void closeProgressBox() = 0;
};

struct ScriptRunResult {
    /// Byte position in the text where reading stopped (where the editor's caret goes).
    std::size_t stopPosition = 0;
    /// The run ended at a failing command (its message has been shown).
    bool endedWithError = false;
    /// The script's own settings record as the run left it.
    ConversionSettings settings;
};

/// Runs a script (CP932 bytes; a NUL ends it) from a copy of `currentSettings`, with
/// `initialSourceName` (CP932) as the picture `CONVERT` converts until `SETFILENAME` changes it.
/// Messages go to `services.feedback` without an owner window. `currentSettings` is never changed.
ScriptRunResult runScript(std::string_view text, std::string_view initialSourceName,
                          const ConversionSettings& currentSettings, ConversionServices& services,
                          ScriptHost& host);

} // namespace tarvelo
