#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvelo {

/// What the command line asked for.
struct CliOptions {
    std::vector<std::string> pictures;
    std::optional<std::string> settingsFile;
    std::optional<std::string> outputDir;
    std::optional<std::string> previewPath;
    std::optional<std::string> writeSettingsFile;
    std::optional<std::string> scriptFile;
    bool showSettings = false;
    int jobs = 0; ///< 0: as many as the machine has cores
    bool quiet = false;
    bool help = false;
    bool version = false;
};

/// Parses the arguments (without the program name). On a usage error returns nothing and puts
/// the reason into `error`.
std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error);

/// The text `--help` prints.
std::string cliHelpText();

} // namespace tarvelo
