#pragma once

#include "engine/ConversionSettings.h"
#include "engine/ProgressCallback.h"
#include "engine/UserFeedback.h"

#include <functional>
#include <optional>
#include <string>

namespace tarvelo {

class PreviewStore;
class SourcePictureStore;

/// What a conversion reaches outside itself: the two stores, the person using the program
/// (messages and save prompts) and the progress bar.
struct ConversionServices {
    SourcePictureStore& sources;
    PreviewStore& previews;
    UserFeedback& feedback;
    /// Moves the progress bar; never asks to stop. May be empty.
    ProgressCallback progress;
    /// Called after a preview was stored so the display can be drawn again. May be empty.
    std::function<void()> redrawMainDisplay;
    /// Output files are named from the source picture's file name but placed in this folder
    /// (the command line's output folder). Nothing: beside the source picture.
    std::optional<std::string> outputFolder;
};

/// Converts the picture of source slot `sourceIndex` with `settings` (which receives the
/// automatic palette colours and, in `zeroMode` 2, the zero colour), writing screen files
/// and/or storing a preview as `outputTarget` says. Every failure is shown through the feedback
/// interface. Returns the preview slot it filled, or -1 when no preview was stored; the caller
/// keeps its source reference only in the second case and releases it then.
int convertPicture(ConversionSettings& settings, int sourceIndex, ConversionServices& services);

} // namespace tarvelo
