#include "ScriptTestSupport.h"

#include "script/ScriptFile.h"
#include "support/BmpBuilder.h"

#include <cstdlib>
#include <filesystem>

namespace tarvelo {
namespace {

using testing::makeBmp24;
using testing::ScriptRunFixture;
using testing::TemporaryFolder;
using testing::writeFile;

std::string examplePath(const std::string& name) {
    if (const char* source = std::getenv("TARVELO_SOURCE_DIR");
        source != nullptr && *source != '\0') {
        return std::string(source) + "/examples/" + name;
    }
    return (std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "examples" /
            name)
        .string();
}

/// A 16 x 16 picture of four colour blocks.
std::vector<std::uint8_t> smallPicture() {
    std::vector<RgbPixel> pixels;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            pixels.push_back(makeRgbPixel(x < 8 ? 200u : 30u, y < 8 ? 120u : 240u, 60u));
        }
    }
    return makeBmp24(16, 16, pixels);
}

/// Runs the examples inside a folder of their own, which is the current directory meanwhile
/// (scripts name their files relative to it).
class ExamplesTest : public ScriptRunFixture {
protected:
    TemporaryFolder folder;
    std::filesystem::path previousDirectory = std::filesystem::current_path();

    void SetUp() override { std::filesystem::current_path(folder.path()); }
    void TearDown() override { std::filesystem::current_path(previousDirectory); }

    ScriptFileText load(const std::string& name) {
        std::optional<ScriptFileText> script = loadScriptFile(examplePath(name), feedback);
        EXPECT_TRUE(script.has_value()) << name;
        return script.value_or(ScriptFileText{});
    }
};

TEST_F(ExamplesTest, ConvertANamedPicture) {
    ConversionSettings saved;
    saved.outputTarget = OutputToFiles | OutputToPreview;
    ASSERT_TRUE(saveSettingsFile(saved, folder.file("TARVELO.TVL")));
    writeFile(folder.file("PICTURE.BMP"), smallPicture());

    const ScriptRunResult result = runBytes(load("convert.txt").text);
    EXPECT_FALSE(result.endedWithError);
    EXPECT_TRUE(feedback.messages.empty()) << feedback.texts().front();
    const ConversionSettings& s = result.settings;
    EXPECT_EQ(s.screenMode, 4u);
    EXPECT_EQ(s.resize, 1);
    EXPECT_EQ(s.errorDiffusion, 1);
    EXPECT_EQ(s.diffusionCoefficient, 400.0f * 0.001f);
    EXPECT_EQ(s.cutOffError, 2u);
    EXPECT_EQ(s.naturalImageAlgorithm, 3u);
    EXPECT_EQ(s.jkRecalc, 1);
    EXPECT_EQ(previews.previewCount(), 1);
    EXPECT_EQ(folder.fileNames().size(), 3u); // the settings, the picture and the screen file
}

TEST_F(ExamplesTest, BatchForDroppedPicturesInScreen12) {
    const std::string text = load("batch-screen12.txt").text;
    current.outputTarget = OutputToPreview;
    for (const char* name : {"ONE.BMP", "TWO.BMP"}) {
        writeFile(folder.file(name), smallPicture());
        const ScriptRunResult result = runBytes(text, folder.file(name));
        EXPECT_FALSE(result.endedWithError) << name;
        EXPECT_EQ(result.settings.screenMode, 4u);
        EXPECT_EQ(result.settings.interlace, 0);
    }
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(previews.previewCount(), 2);
    EXPECT_EQ(host.progressEvents.size(), 4u);
}

TEST_F(ExamplesTest, FixedPaletteForScreen5) {
    writeFile(folder.file("SPRITE.BMP"), smallPicture());
    current.outputTarget = OutputToPreview;
    const ScriptRunResult result = runBytes(load("screen5-fixed-palette.txt").text, "SPRITE.BMP");
    EXPECT_FALSE(result.endedWithError);
    EXPECT_TRUE(feedback.messages.empty());
    // The MSX2 start-up palette, red, green, blue per entry; nothing was chosen over it.
    const int levels[16][3] = {{0, 0, 0}, {0, 0, 0}, {1, 6, 1}, {3, 7, 3}, {1, 1, 7}, {2, 3, 7},
                               {5, 1, 1}, {2, 6, 7}, {7, 1, 1}, {7, 3, 3}, {6, 6, 1}, {6, 6, 4},
                               {1, 4, 1}, {6, 2, 5}, {5, 5, 5}, {7, 7, 7}};
    for (std::size_t k = 1; k < 16; ++k) {
        SCOPED_TRACE(k);
        const PaletteEntry expected{
            .green = levels[k][1], .red = levels[k][0], .blue = levels[k][2]};
        EXPECT_EQ(result.settings.palette[k], expected);
        EXPECT_EQ(result.settings.paletteEntryMode[k], EntryFixed);
    }
    EXPECT_EQ(result.settings.paletteEntryMode[0], EntryNotUsed);
    EXPECT_EQ(result.settings.skipColorZero, 1);
    EXPECT_EQ(result.settings.meshTile, 1);
    EXPECT_EQ(result.settings.errorDiffusion, 0);
    ASSERT_EQ(previews.previewCount(), 1);
    EXPECT_EQ(previews.slot(previews.currentPreview()).settings.palette, result.settings.palette);
}

TEST_F(ExamplesTest, JapaneseKeywordsInAUtf8File) {
    writeFile(folder.file("写真.BMP"), smallPicture());
    current.outputTarget = OutputToPreview;
    const ScriptFileText script = load("japanese-keywords.txt");
    EXPECT_EQ(script.encoding, ScriptFileEncoding::Utf8);
    const ScriptRunResult result = runBytes(script.text);
    EXPECT_FALSE(result.endedWithError);
    const ConversionSettings& s = result.settings;
    EXPECT_EQ(s.screenMode, 2u);
    EXPECT_EQ(s.errorDiffusion, 1);
    EXPECT_EQ(s.diffusionCoefficient, 350.0f * 0.001f);
    EXPECT_EQ(s.cutOffError, 4u);
    EXPECT_EQ(s.ditherCombine, 1u);
    EXPECT_EQ(s.meshTile, 1);
    EXPECT_EQ(previews.previewCount(), 1);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "写真.BMP を SCREEN8 に変換しました。");
    EXPECT_EQ(feedback.messages[0].caption, "ﾒｯｾｰｼﾞ");
}

} // namespace
} // namespace tarvelo
