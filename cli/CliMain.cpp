#include "cli/CliMain.h"

#include "cli/BatchConverter.h"
#include "cli/CliOptions.h"
#include "cli/CliScriptRunner.h"
#include "cli/ConsoleFeedback.h"
#include "engine/ConversionSettings.h"
#include "engine/SettingsNames.h"
#include "engine/SettingsText.h"

#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace tarvelo {

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

constexpr const char* DefaultSettingsFile = "TARVELO.TVL";

void printError(const std::string& text) { std::fprintf(stderr, "tarvelo-cli: %s\n", text.c_str()); }

/// The settings to start from: the file named, else TARVELO.TVL when present, else defaults.
bool loadStartSettings(const CliOptions& options, ConversionSettings& settings) {
    if (options.settingsFile) {
        if (!loadSettingsFile(settings, *options.settingsFile)) {
            printError("cannot read the settings file " + *options.settingsFile);
            return false;
        }
        return true;
    }
    std::error_code error;
    if (std::filesystem::is_regular_file(DefaultSettingsFile, error)) {
        loadSettingsFile(settings, DefaultSettingsFile);
    } else {
        resetSettings(settings);
    }
    return true;
}

bool prepareFolder(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        printError("cannot use the folder " + folder);
        return false;
    }
    return true;
}

int runPictures(const CliOptions& options, const ConversionSettings& settings,
                ConsolePrinter& printer, ConversionSettings& finalSettings) {
    BatchOptions batch;
    batch.outputFolder = options.outputDir;
    batch.previewPath = options.previewPath;
    std::error_code error;
    batch.previewPathIsFolder =
        options.previewPath && (options.pictures.size() > 1 ||
                                std::filesystem::is_directory(*options.previewPath, error));
    if (batch.previewPathIsFolder && !prepareFolder(*options.previewPath)) {
        return ExitUsage;
    }
    batch.jobs = options.jobs > 0 ? options.jobs
                                  : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    if ((settings.outputTarget & OutputToFiles) == 0 && !options.previewPath) {
        // The record keeps results as previews only; without -p nothing would be left behind.
        printer.printLine("tarvelo-cli: the settings write no screen files (output target: " +
                          std::string(nameOf(outputTargetNames(), settings.outputTarget - 1)) +
                          "); use -p to save the previews");
    }
    const BatchResult result = convertPictures(options.pictures, settings, batch, printer);
    finalSettings = result.finalSettings;
    return result.failedPictures > 0 ? ExitFailed : ExitDone;
}

int runScriptMode(const CliOptions& options, const ConversionSettings& settings,
                  ConsolePrinter& printer, ConversionSettings& finalSettings) {
    if (options.previewPath && !prepareFolder(*options.previewPath)) {
        return ExitUsage;
    }
    const ScriptBatchResult result = runScriptFile(*options.scriptFile, options.pictures, settings,
                                                   options.outputDir, options.previewPath, printer);
    finalSettings = result.lastSettings;
    if (!result.loaded) {
        return ExitFailed;
    }
    return result.runsEndedWithError > 0 || result.conversionProblems > 0 ? ExitFailed : ExitDone;
}

} // namespace

int runCommandLine(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const std::optional<CliOptions> options = parseCliOptions(arguments, error);
    if (!options) {
        printError(error + " (see --help)");
        return ExitUsage;
    }
    if (options->help) {
        std::fputs(cliHelpText().c_str(), stdout);
        return ExitDone;
    }
    if (options->version) {
        std::printf("tarvelo-cli %s\n", TARVELO_VERSION);
        return ExitDone;
    }
    if (options->pictures.empty() && !options->scriptFile && !options->showSettings &&
        !options->writeSettingsFile) {
        printError("no picture given (see --help)");
        return ExitUsage;
    }
    if (options->outputDir && !prepareFolder(*options->outputDir)) {
        return ExitUsage;
    }
    ConversionSettings settings;
    if (!loadStartSettings(*options, settings)) {
        return ExitUsage;
    }
    if (options->showSettings) {
        std::fputs(buildSettingsText("設定", settings).c_str(), stdout);
    }

    // Qt's picture readers find their format plugins through the application object.
    int qtArgc = 1;
    QCoreApplication application(qtArgc, argv);
    ConsolePrinter printer(!options->quiet && ::isatty(STDERR_FILENO) != 0);
    ConversionSettings finalSettings = settings;
    int status = ExitDone;
    if (options->scriptFile) {
        status = runScriptMode(*options, settings, printer, finalSettings);
    } else if (!options->pictures.empty()) {
        status = runPictures(*options, settings, printer, finalSettings);
    }
    if (options->writeSettingsFile && !saveSettingsFile(finalSettings, *options->writeSettingsFile)) {
        printError("cannot write the settings file " + *options->writeSettingsFile);
        status = ExitFailed;
    }
    return status;
}

} // namespace tarvelo
