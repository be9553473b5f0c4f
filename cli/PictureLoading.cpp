#include "cli/PictureLoading.h"

#include "cli/QtPictureIo.h"

namespace tarvelo {

void acceptOtherPictureFormats(SourcePictureStore& sources) {
    sources.setOtherPictureReader(readPictureAsDib);
}

int loadPictureIntoStore(const std::string& path, SourcePictureStore& sources,
                         UserFeedback& feedback) {
    const int index = sources.loadBmpFile(path, feedback);
    if (index < 0) {
        feedback.showMessage(SourceLoadFailedMessage, "Error", MessageOwner::None,
                             MessageIcon::Warning);
    }
    return index;
}

} // namespace tarvelo
