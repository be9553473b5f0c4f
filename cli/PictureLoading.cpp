#include "cli/PictureLoading.h"

#include "cli/QtPictureIo.h"

namespace tarvelo {

int loadPictureIntoStore(const std::string& path, SourcePictureStore& sources,
                         UserFeedback& feedback) {
    int index = -1;
    if (looksLikeBmpFile(path)) {
        index = sources.loadBmpFile(path, feedback);
    } else if (auto block = readPictureAsDib(path)) {
        index = sources.adoptDibBlock(*block, std::nullopt, path);
    }
    if (index < 0) {
        feedback.showMessage(SourceLoadFailedMessage, "Error", MessageOwner::None,
                             MessageIcon::Warning);
    }
    return index;
}

} // namespace tarvelo
