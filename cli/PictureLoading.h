#pragma once

#include "engine/SourcePictureStore.h"
#include "engine/UserFeedback.h"

#include <string>

namespace tarvelo {

/// Lets the store's loader read pictures that are not BMP files (PNG, JPEG, GIF, ...) through
/// Qt, handed over as 24-bit DIB blocks; BMP files still go through the store's own loader.
void acceptOtherPictureFormats(SourcePictureStore& sources);

/// Puts a picture file into the source store with one reference. Returns the slot, or -1 after
/// showing why.
int loadPictureIntoStore(const std::string& path, SourcePictureStore& sources,
                         UserFeedback& feedback);

} // namespace tarvelo
