#include "cli/CliOptions.h"
#include "cli/CliScriptRunner.h"
#include "cli/QtPictureIo.h"
#include "engine/ConversionSettings.h"
#include "support/BmpBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace tarvelo {
namespace {

using testing::TemporaryFolder;

struct CliRun {
    int status = -1;
    std::string output; // standard output and standard error together
};

/// Runs tarvelo-cli in `folder` with the arguments (already quoted where needed).
CliRun runCli(const std::string& folder, const std::string& arguments) {
    const std::string command =
        "cd '" + folder + "' && '" TARVELO_CLI_PATH "' -q " + arguments + " 2>&1";
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.output.append(buffer, got);
    }
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return run;
}

class CliTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    void writePicture(const std::string& name, int width, int height, RgbPixel colour) {
        testing::writeFile(folder.file(name),
                           testing::makeBmp24(width, height, testing::uniformPicture(width, height, colour)));
    }
};

TEST_F(CliTest, ConvertsWithDefaultsBesideThePicture) {
    writePicture("pic.bmp", 32, 32, makeRgbPixel(200, 40, 40));
    const CliRun run = runCli(folder.path(), "pic.bmp");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testing::readFile(folder.file("pic.SC5")).size(), 30375u);
}

TEST_F(CliTest, FailingPictureExitsOneAndWritesNothing) {
    testing::writeFile(folder.file("bad.bmp"), {'B', 'M', 1, 2, 3});
    const CliRun run = runCli(folder.path(), "bad.bmp");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Error: 指定されたファイルが読み込めないか"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("[bad.bmp]"), std::string::npos) << run.output;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"bad.bmp"});
}

TEST_F(CliTest, UndecodablePictureShowsThePipelineMessage) {
    std::vector<std::uint8_t> file = testing::makeBmp24(4, 4, testing::uniformPicture(4, 4, 0));
    file[14 + 14] = 2; // 2 bits per pixel
    testing::writeFile(folder.file("two.bmp"), file);
    const CliRun run = runCli(folder.path(), "two.bmp");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Error: 読み込めません。非対応の形式です。 [two.bmp]"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"two.bmp"});
}

TEST_F(CliTest, OutputFolderPreviewAndSettingsFile) {
    writePicture("a.bmp", 16, 16, makeRgbPixel(0, 0, 255));
    writePicture("b.bmp", 16, 16, makeRgbPixel(0, 255, 0));
    ConversionSettings settings;
    settings.screenMode = 4;
    ASSERT_TRUE(saveSettingsFile(settings, folder.file("start.tvl")));
    const CliRun run = runCli(folder.path(), "-s start.tvl -o out -p previews -j 2 "
                                             "--write-settings end.tvl a.bmp b.bmp");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testing::readFile(folder.file("out/a.SCC")).size(), 7u + 54272u);
    EXPECT_EQ(testing::readFile(folder.file("out/b.SCC")).size(), 7u + 54272u);
    EXPECT_GT(testing::readFile(folder.file("previews/a.png")).size(), 100u);
    EXPECT_GT(testing::readFile(folder.file("previews/b.png")).size(), 100u);
    ConversionSettings written;
    ASSERT_TRUE(loadSettingsFile(written, folder.file("end.tvl")));
    EXPECT_EQ(written.screenMode, 4u);
}

TEST_F(CliTest, WrittenSettingsHoldTheChosenPalette) {
    writePicture("red.bmp", 16, 16, makeRgbPixel(255, 0, 0));
    ConversionSettings settings;
    settings.resize = 1;
    ASSERT_TRUE(saveSettingsFile(settings, folder.file("start.tvl")));
    const CliRun run = runCli(folder.path(), "-s start.tvl --write-settings end.tvl red.bmp");
    ASSERT_EQ(run.status, 0) << run.output;
    ConversionSettings written;
    ASSERT_TRUE(loadSettingsFile(written, folder.file("end.tvl")));
    EXPECT_EQ(written.palette[0], (PaletteEntry{0, 7, 0}));
    EXPECT_EQ(written.outputTarget, 3u);
}

TEST_F(CliTest, ReadsPicturesThatAreNotBmp) {
    std::vector<RgbPixel> pixels(8 * 8, makeRgbPixel(255, 255, 255));
    ASSERT_TRUE(savePng(pixels, 8, 8, folder.file("white.png")));
    const CliRun run = runCli(folder.path(), "--preview white-preview.png white.png");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testing::readFile(folder.file("white.SC5")).size(), 30375u);
    EXPECT_GT(testing::readFile(folder.file("white-preview.png")).size(), 100u);
}

TEST_F(CliTest, UsageErrorsExitTwo) {
    EXPECT_EQ(runCli(folder.path(), "").status, 2);
    EXPECT_EQ(runCli(folder.path(), "--bogus x.bmp").status, 2);
    EXPECT_EQ(runCli(folder.path(), "-j 0 x.bmp").status, 2);
    EXPECT_EQ(runCli(folder.path(), "-s missing.tvl x.bmp").status, 2);
    EXPECT_EQ(runCli(folder.path(), "--help").status, 0);
}

TEST_F(CliTest, ShowSettingsPrintsTheReadOut) {
    const CliRun run = runCli(folder.path(), "--show-settings");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("[設定]\n画面ﾓｰﾄﾞ = SCREEN5\n", 0), 0u) << run.output;
}

TEST_F(CliTest, DefaultSettingsFileIsPickedUp) {
    ConversionSettings settings;
    settings.screenMode = 2;
    ASSERT_TRUE(saveSettingsFile(settings, folder.file("TARVELO.TVL")));
    const CliRun run = runCli(folder.path(), "--show-settings");
    EXPECT_NE(run.output.find("SCREEN8"), std::string::npos) << run.output;
}

TEST(CliOptions, ParsesEveryOption) {
    std::string error;
    const auto options = parseCliOptions(
        {"-s", "a.tvl", "-o", "out", "-p", "p.png", "--write-settings", "w.tvl", "--show-settings",
         "-j", "3", "-q", "--script", "s.txt", "--", "-odd.bmp", "x.bmp"},
        error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(*options->settingsFile, "a.tvl");
    EXPECT_EQ(*options->outputDir, "out");
    EXPECT_EQ(*options->previewPath, "p.png");
    EXPECT_EQ(*options->writeSettingsFile, "w.tvl");
    EXPECT_EQ(*options->scriptFile, "s.txt");
    EXPECT_TRUE(options->showSettings && options->quiet);
    EXPECT_EQ(options->jobs, 3);
    EXPECT_EQ(options->pictures, (std::vector<std::string>{"-odd.bmp", "x.bmp"}));
    EXPECT_FALSE(parseCliOptions({"-o"}, error));
    EXPECT_NE(error.find("-o"), std::string::npos);
}

TEST(CliScript, PlaceOfPositionCountsCharacters) {
    // "A\n" then two double-byte characters and "B".
    const std::string text = "A\n\x83\x74\x83\x40" "B";
    EXPECT_EQ(placeOfPosition(text, 0).line, 1);
    const TextPlace place = placeOfPosition(text, 6);
    EXPECT_EQ(place.line, 2);
    EXPECT_EQ(place.column, 3);
}

} // namespace
} // namespace tarvelo

namespace tarvelo {
namespace {

// Every questionable or bad file of the BMP suite is converted or refused with a message, and
// the program always ends by itself with 0 or 1 (the sanitizer build turns any memory fault
// into a signal or a non-zero status here).
TEST(CliBmpSuite, BadAndQuestionableFilesConvertOrAreRefused) {
    const std::filesystem::path suite = std::filesystem::path(testing::corpusDir()) / "bmpsuite";
    ASSERT_TRUE(std::filesystem::is_directory(suite)) << suite;
    int files = 0;
    for (const char* folderName : {"b", "q"}) {
        for (const auto& entry : std::filesystem::directory_iterator(suite / folderName)) {
            SCOPED_TRACE(entry.path().string());
            TemporaryFolder out;
            const CliRun run = runCli(out.path(), "-o out '" + entry.path().string() + "'");
            ASSERT_TRUE(run.status == 0 || run.status == 1) << run.status << "\n" << run.output;
            if (run.status == 1) {
                EXPECT_NE(run.output.find("Error: "), std::string::npos) << run.output;
            } else {
                EXPECT_FALSE(std::filesystem::is_empty(out.file("out"))) << run.output;
            }
            ++files;
        }
    }
    EXPECT_EQ(files, 37);
}

} // namespace
} // namespace tarvelo

namespace tarvelo {
namespace {

class CliScriptTest : public CliTest {
protected:
    void writeScript(const std::string& name, const std::string& text) {
        testing::writeFile(folder.file(name), std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

TEST_F(CliScriptTest, RunsOncePerPictureAndWritesTheScriptsRecord) {
    writePicture("a.bmp", 8, 8, makeRgbPixel(255, 0, 0));
    writePicture("b.bmp", 8, 8, makeRgbPixel(0, 0, 255));
    writeScript("s.txt", "SCREEN 8\nSETFLAG RESIZE=ON\nCONVERT\nMSG \"done\"\n");
    const CliRun run = runCli(folder.path(), "--script s.txt --write-settings end.tvl a.bmp b.bmp");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testing::readFile(folder.file("a.SC8")).size(), 7u + 54272u);
    EXPECT_EQ(testing::readFile(folder.file("b.SC8")).size(), 7u + 54272u);
    // Each run's message box, with its caption.
    EXPECT_NE(run.output.find("ﾒｯｾｰｼﾞ: done [a.bmp]"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("ﾒｯｾｰｼﾞ: done [b.bmp]"), std::string::npos) << run.output;
    ConversionSettings written;
    ASSERT_TRUE(loadSettingsFile(written, folder.file("end.tvl")));
    EXPECT_EQ(written.screenMode, 2u);
    EXPECT_EQ(written.resize, 1);
}

TEST_F(CliScriptTest, FailingRunPrintsWhereItStoppedAndExitsOne) {
    // Reading stops right after the word that is not a command: line 2, column 8.
    writeScript("s.txt", "SCREEN 8\n  BOGUS 1\n");
    const CliRun run = runCli(folder.path(), "--script s.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("Error: 文法が不正です。"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("s.txt:2:8:"), std::string::npos) << run.output;
}

TEST_F(CliScriptTest, SettingDialogCountsAsCancelled) {
    writeScript("s.txt", "SCREEN 12\nSETTING\nMSG \"after\"\n");
    const CliRun run = runCli(folder.path(), "--script s.txt");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("取り消された"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("after"), std::string::npos) << run.output;
}

TEST_F(CliScriptTest, UnreadableScriptFails) {
    writeScript("s.txt", "SCREEN 5\f\n");
    const CliRun run = runCli(folder.path(), "--script s.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.output.find("異常なファイルです。読み込めません。"), std::string::npos) << run.output;
}

} // namespace
} // namespace tarvelo

namespace tarvelo {
namespace {

TEST_F(CliTest, PreviewOnlySettingsSayThatNothingIsWritten) {
    writePicture("p.bmp", 8, 8, makeRgbPixel(1, 2, 3));
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    ASSERT_TRUE(saveSettingsFile(settings, folder.file("preview.tvl")));
    const CliRun run = runCli(folder.path(), "-s preview.tvl p.bmp");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("write no screen files"), std::string::npos) << run.output;
    EXPECT_EQ(folder.fileNames(), (std::vector<std::string>{"p.bmp", "preview.tvl"}));
}

} // namespace
} // namespace tarvelo
