#include "cli/CliOptions.h"

#include <charconv>

namespace tarvelo {

namespace {

bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, std::string& value,
               std::string& error) {
    const std::string& option = arguments[i];
    if (i + 1 >= arguments.size()) {
        error = "option " + option + " needs a value";
        return false;
    }
    value = arguments[++i];
    return true;
}

bool parseJobs(const std::string& text, int& jobs, std::string& error) {
    int value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (problem != std::errc{} || end != text.data() + text.size() || value < 1 || value > 256) {
        error = "--jobs needs a number from 1 to 256, not \"" + text + "\"";
        return false;
    }
    jobs = value;
    return true;
}

} // namespace

std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& arguments,
                                          std::string& error) {
    CliOptions options;
    bool onlyPictures = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (onlyPictures || argument.empty() || argument[0] != '-' || argument == "-") {
            options.pictures.push_back(argument);
        } else if (argument == "--") {
            onlyPictures = true;
        } else if (argument == "-h" || argument == "--help") {
            options.help = true;
        } else if (argument == "--version") {
            options.version = true;
        } else if (argument == "-q" || argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--show-settings") {
            options.showSettings = true;
        } else if (argument == "-s" || argument == "--settings") {
            if (!takeValue(arguments, i, value, error)) return std::nullopt;
            options.settingsFile = value;
        } else if (argument == "-o" || argument == "--output-dir") {
            if (!takeValue(arguments, i, value, error)) return std::nullopt;
            options.outputDir = value;
        } else if (argument == "-p" || argument == "--preview") {
            if (!takeValue(arguments, i, value, error)) return std::nullopt;
            options.previewPath = value;
        } else if (argument == "--write-settings") {
            if (!takeValue(arguments, i, value, error)) return std::nullopt;
            options.writeSettingsFile = value;
        } else if (argument == "--script") {
            if (!takeValue(arguments, i, value, error)) return std::nullopt;
            options.scriptFile = value;
        } else if (argument == "-j" || argument == "--jobs") {
            if (!takeValue(arguments, i, value, error) || !parseJobs(value, options.jobs, error)) {
                return std::nullopt;
            }
        } else {
            error = "unknown option " + argument;
            return std::nullopt;
        }
    }
    return options;
}

std::string cliHelpText() {
    return R"(Usage: tarvelo-cli [options] PICTURE...
Converts pictures into MSX screen files (BSAVE) as the settings say.

  -s, --settings FILE      start from this settings file (default: TARVELO.TVL in the
                           current folder when it exists, else the defaults)
  -o, --output-dir DIR     write screen and palette files into DIR, named from the
                           picture's file name (default: beside the picture)
  -p, --preview PATH       save the rendered 512x424 preview as PNG (a folder when
                           several pictures are given: one PNG per picture, named from it)
      --write-settings FILE  write the settings record as it stands after the work
                           (automatic palette entries filled in)
      --show-settings      print the settings read-out text
      --script FILE        run a script once for each PICTURE (the picture preset as the
                           source name), or once when no picture is given
  -j, --jobs N             convert up to N pictures at once (default: the cores)
  -q, --quiet              no progress bar
  -h, --help               show this text
      --version            show the version

Output names are always automatic here: screen files take the picture's name with the
mode's extension (.SC5, .SR5, .S51/.S50, ...) whatever the automatic-name setting says,
and palette files take the picture's name with .PL5/.PL7 or .CSV.
Pictures may be BMP files or any picture Qt reads (PNG, JPEG, GIF, ...).
Exit status: 0 when every picture was converted and written, 1 when any failed,
2 for a usage error.
)";
}

} // namespace tarvelo
