#pragma once

#include "engine/ConversionPipeline.h"
#include "engine/PreviewStore.h"
#include "engine/SourcePictureStore.h"
#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

namespace tarvelo::testing {

/// Both stores, a recording feedback and a temporary folder for pictures and output files.
class PipelineTest : public ::testing::Test {
protected:
    SourcePictureStore sources;
    PreviewStore previews{sources};
    RecordingFeedback feedback;
    TemporaryFolder folder;
    ConversionServices services{sources, previews, feedback, {}, {}, {}};

    /// Writes a 24-bit BMP into the folder and loads it with one reference.
    int loadPicture(const std::string& name, int width, int height,
                    const std::vector<RgbPixel>& pixels) {
        writeFile(folder.file(name), makeBmp24(width, height, pixels));
        return sources.loadBmpFile(folder.file(name), feedback);
    }

    int loadUniform(const std::string& name, int width, int height, RgbPixel colour) {
        return loadPicture(name, width, height, uniformPicture(width, height, colour));
    }
};

} // namespace tarvelo::testing
