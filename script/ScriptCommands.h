#pragma once

// Inside the interpreter: the state of one run and the command table. Not for other modules.

#include "engine/ConversionPipeline.h"
#include "engine/ConversionSettings.h"
#include "script/ScriptInterpreter.h"
#include "script/ScriptReader.h"

#include <string>
#include <string_view>

namespace tarvelo {

/// One run of a script: its reading position, its own settings record and source name, and what
/// it reaches outside. Each run has its own; nothing is carried to the next run.
struct ScriptRun {
    ScriptReader reader;
    ConversionSettings settings;
    /// The picture `CONVERT` converts (CP932).
    std::string sourceName;
    ConversionServices& services;
    ScriptHost& host;
};

/// A command: reads its arguments from the run's position and carries them out. Returns whether
/// the run goes on; a command that returns false has shown its message.
using ScriptCommand = bool (*)(ScriptRun& run);

/// The command named by `word` (English or Japanese, ASCII letter case ignored), or nullptr.
ScriptCommand findScriptCommand(std::string_view word);

// The commands that reach outside the settings record (ScriptInterpreter.cpp).
bool loadSettingCommand(ScriptRun& run);
bool convertCommand(ScriptRun& run);
bool setFileNameCommand(ScriptRun& run);
bool commentCommand(ScriptRun& run);
bool messageCommand(ScriptRun& run);
bool settingDialogCommand(ScriptRun& run);

// The commands that change single settings (ScriptSettingCommands.cpp).
bool screenCommand(ScriptRun& run);
bool setFlagCommand(ScriptRun& run);
bool paletteCommand(ScriptRun& run);
bool paletteModeCommand(ScriptRun& run);
bool cutOffErrorCommand(ScriptRun& run);
bool diffusionCoefficientCommand(ScriptRun& run);
bool colorSelectModeCommand(ScriptRun& run);
bool ditherCombineCommand(ScriptRun& run);
bool naturalImageAlgorithmCommand(ScriptRun& run);

} // namespace tarvelo
