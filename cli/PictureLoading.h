#pragma once

#include "engine/SourcePictureStore.h"
#include "engine/UserFeedback.h"

#include <string>

namespace tarvelo {

/// Puts a picture file into the source store with one reference: BMP files through the store's
/// own loader, other pictures (PNG, JPEG, GIF, ...) read by Qt and handed over as a 24-bit DIB
/// block. Returns the slot, or -1 after showing why.
int loadPictureIntoStore(const std::string& path, SourcePictureStore& sources,
                         UserFeedback& feedback);

} // namespace tarvelo
