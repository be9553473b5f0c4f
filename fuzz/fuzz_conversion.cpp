// A whole conversion: the first 288 bytes are the settings record (normalised as a load does),
// the rest is a DIB block. Pictures are kept small so that each run is fast; files are not
// written (output to the preview only).
#include "engine/ConversionPipeline.h"
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"
#include "FuzzFeedback.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    if (size < SettingsRecordSize + 40) {
        return 0;
    }
    ConversionSettings settings = settingsFromBytes(std::span(data, SettingsRecordSize));
    normaliseSettings(settings);
    settings.outputTarget = OutputToPreview;
    std::vector<std::uint8_t> block(data + SettingsRecordSize, data + size);
    // Keep width and height small: the encoders always work on a full screen anyway.
    if (block[4 + 3] != 0 || block[4 + 2] != 0 || block[8 + 3] != 0 || block[8 + 2] != 0) {
        return 0;
    }
    SourcePictureStore sources;
    PreviewStore previews(sources);
    fuzzing::SilentFeedback feedback;
    const int source = sources.adoptDibBlock(block);
    ConversionServices services{sources, previews, feedback, {}, {}, {}};
    const int slot = convertPicture(settings, source, services);
    if (slot < 0) {
        sources.releaseSource(source);
    }
    previews.freeAllPreviews();
    return 0;
}
