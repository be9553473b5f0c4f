#pragma once

#include "cli/ConsoleFeedback.h"
#include "engine/ConversionSettings.h"

#include <optional>
#include <string>
#include <vector>

namespace tarvelo {

struct BatchOptions {
    /// Screen and palette files go here instead of beside each picture.
    std::optional<std::string> outputFolder;
    /// Where rendered previews are saved as PNG: a file, or a folder of one PNG per picture.
    std::optional<std::string> previewPath;
    bool previewPathIsFolder = false;
    int jobs = 1;
};

struct BatchResult {
    int failedPictures = 0;
    /// The record as the last picture's conversion left it (automatic palette filled in).
    ConversionSettings finalSettings;
};

/// Converts each picture with a copy of `settings`, up to `jobs` at a time; each job has its
/// own stores. A picture fails when any error or warning was shown for it.
BatchResult convertPictures(const std::vector<std::string>& pictures,
                            const ConversionSettings& settings, const BatchOptions& options,
                            ConsolePrinter& printer);

/// The PNG a preview of `picture` is saved as inside a preview folder.
std::string previewFileFor(const std::string& folder, const std::string& picture);

} // namespace tarvelo
