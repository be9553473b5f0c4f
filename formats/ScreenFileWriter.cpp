#include "formats/ScreenFileWriter.h"

#include "engine/AtomicFile.h"
#include "engine/ByteOrder.h"
#include "formats/FormatMessages.h"
#include "formats/PaletteFiles.h"

#include <optional>
#include <string_view>
#include <vector>

namespace tarvelo {

namespace {

// Mode letters of the file extensions, indexed by `screenMode`: SCREEN5, 7, 8, 10/11 (A), 12 (C).
constexpr std::string_view ModeLetters = "578AC";

// BSAVE header: the 0xFE marker, then start, end and execution address as little-endian words.
constexpr std::size_t HeaderSize = 7;
constexpr std::uint8_t BsaveMarker = 0xFE;
constexpr std::uint16_t PaletteBytesSize = 32;

constexpr std::uint32_t PaletteJoined = 1;
constexpr std::uint32_t PaletteGraphSaurusFile = 2;
constexpr std::uint32_t PaletteCsvFile = 3;

/// Where the VDP keeps its palette table in the video memory of a palette mode, for
/// `COLOR=RESTORE`; the other modes have none.
std::optional<std::uint16_t> paletteTableAddress(std::uint32_t screenMode) {
    if (screenMode > static_cast<std::uint32_t>(ScreenMode::Screen12)) {
        return std::nullopt;
    }
    switch (static_cast<ScreenMode>(screenMode)) {
    case ScreenMode::Screen5:
        return 0x7680;
    case ScreenMode::Screen7:
        return 0xFA80;
    case ScreenMode::Screen8:
    case ScreenMode::Screen10_11:
    case ScreenMode::Screen12:
        return std::nullopt;
    }
    return std::nullopt;
}

const std::vector<FileFilter>& screenFileFilters() {
    static const std::vector<FileFilter> filters = {
        {"MSX画像ﾌｧｲﾙ(*.SC?/*.SR?)", "*.SC?;*.SR?"},
        {"すべてのﾌｧｲﾙ(*.*)", "*.*"},
    };
    return filters;
}

const std::vector<FileFilter>& graphSaurusFilters() {
    static const std::vector<FileFilter> filters = {{"MSXﾊﾟﾚｯﾄﾌｧｲﾙ(*.PL5/*.PL7)", "*.PL5;*.PL7"}};
    return filters;
}

const std::vector<FileFilter>& csvFilters() {
    static const std::vector<FileFilter> filters = {{"CSVﾌｧｲﾙ(*.CSV/*.TXT)", "*.CSV;*.TXT"}};
    return filters;
}

/// One file of a result: which lines it takes and how it is named.
struct Pass {
    std::size_t firstLine;
    std::size_t lineStep;
    ScreenFileVariant variant;
    std::string_view title;
};

/// What every pass of one `writeScreenFiles` call shares.
struct ScreenJob {
    MessageOwner owner;
    const std::string& sourcePath;
    std::span<const std::uint8_t> data;
    std::size_t bytesPerLine;
    std::size_t linesPerFile;
    const ConversionSettings& settings;
    UserFeedback& feedback;
};

/// False for sizes the data cannot back, so no line is ever read outside `data`.
bool dataCovers(std::span<const std::uint8_t> data, std::int32_t bytesPerLine, std::int32_t lines) {
    if (bytesPerLine < 0 || lines < 0) {
        return false;
    }
    const std::uint64_t needed =
        static_cast<std::uint64_t>(bytesPerLine) * static_cast<std::uint64_t>(lines);
    return needed <= data.size();
}

std::optional<std::string> chooseScreenFileName(const ScreenJob& job, const Pass& pass) {
    // A picture without a path (the clipboard) gives nothing to build a name from.
    if (job.settings.autoFileName != 0 && !job.sourcePath.empty()) {
        return makeAutoFileName(job.sourcePath, job.settings.screenMode, pass.variant,
                                job.settings.paletteOutput == PaletteJoined);
    }
    const std::string suggestion =
        job.sourcePath.empty()
            ? std::string()
            : makeAutoFileName(job.sourcePath, job.settings.screenMode, pass.variant,
                               job.settings.paletteOutput == PaletteJoined);
    return job.feedback.askSaveFileName(job.owner, pass.title, screenFileFilters(), suggestion);
}

/// The whole BSAVE file of one pass, byte for byte as written.
std::vector<std::uint8_t> buildScreenFile(const ScreenJob& job, const Pass& pass) {
    const std::size_t pictureBytes = job.bytesPerLine * job.linesPerFile;
    const std::optional<std::uint16_t> table = paletteTableAddress(job.settings.screenMode);
    const bool joined = table.has_value() && job.settings.paletteOutput == PaletteJoined;

    std::vector<std::uint8_t> contents(HeaderSize, 0);
    // The palette modes always claim the video memory up to the end of the palette table, so
    // that loading the file reaches it even without a joined palette; the others end where the
    // picture ends (256 x 212 = 0xD400), kept to the 16 bits of an MSX address.
    const std::uint16_t endAddress = table.has_value()
                                         ? static_cast<std::uint16_t>(*table + PaletteBytesSize)
                                         : static_cast<std::uint16_t>(pictureBytes & 0xFFFFu);
    contents[0] = BsaveMarker;
    writeLe16(contents, 1, 0);
    writeLe16(contents, 3, endAddress);
    writeLe16(contents, 5, 0);

    contents.reserve(HeaderSize + (joined ? *table + PaletteBytesSize : pictureBytes));
    for (std::size_t line = 0; line < job.linesPerFile; ++line) {
        const std::size_t sourceLine = pass.firstLine + line * pass.lineStep;
        const auto first =
            job.data.begin() + static_cast<std::ptrdiff_t>(sourceLine * job.bytesPerLine);
        contents.insert(contents.end(), first,
                        first + static_cast<std::ptrdiff_t>(job.bytesPerLine));
    }
    if (joined) {
        // Zero filler up to the palette table, then the palette at its place in video memory.
        if (pictureBytes < *table) {
            contents.resize(HeaderSize + *table, 0);
        }
        const std::array<std::uint8_t, 32> palette = paletteBytes(job.settings.palette);
        contents.insert(contents.end(), palette.begin(), palette.end());
    }
    return contents;
}

/// After a screen file of a palette mode, offers the separate palette file that
/// `paletteOutput` asks for. Cancelling or a failure here skips only the palette file.
void offerPaletteFile(const ScreenJob& job) {
    if (!paletteTableAddress(job.settings.screenMode).has_value()) {
        return;
    }
    const std::uint32_t output = job.settings.paletteOutput;
    // Hosts that answer prompts themselves take the picture's name with the palette extension.
    auto suggestion = [&job](std::string_view extension) {
        return job.sourcePath.empty() ? std::string()
                                      : replaceFileExtension(job.sourcePath, extension);
    };
    if (output == PaletteGraphSaurusFile) {
        const bool screen7 = job.settings.screenMode == static_cast<std::uint32_t>(ScreenMode::Screen7);
        const std::optional<std::string> name = job.feedback.askSaveFileName(
            job.owner, "名前を付けて保存(*.PL?形式)", graphSaurusFilters(),
            suggestion(screen7 ? ".PL7" : ".PL5"));
        if (name) {
            writeGraphSaurusPalette(job.owner, *name, job.settings, job.feedback);
        }
    } else if (output == PaletteCsvFile) {
        const std::optional<std::string> name =
            job.feedback.askSaveFileName(job.owner, "名前を付けて保存(CSV形式)", csvFilters(),
                                         suggestion(".CSV"));
        if (name) {
            writeCsvPalette(job.owner, *name, job.settings, job.feedback);
        }
    }
}

/// Names, writes and completes one file of the result; false when the writer is to stop.
bool writePass(const ScreenJob& job, const Pass& pass) {
    const std::optional<std::string> name = chooseScreenFileName(job, pass);
    if (!name) {
        return false;
    }
    AtomicFile file(*name);
    if (!file.create()) {
        // A file that cannot even be created ends the writer without a message.
        return false;
    }
    if (!file.write(buildScreenFile(job, pass)) || !file.commit()) {
        reportWriteFailure(job.feedback, job.owner);
        return false;
    }
    offerPaletteFile(job);
    return true;
}

} // namespace

std::string makeAutoFileName(const std::string& sourcePath, std::uint32_t screenMode,
                             ScreenFileVariant variant, bool paletteJoined) {
    std::string extension = ".SRX";
    if (paletteJoined) {
        extension[2] = 'C';
    }
    const char letter = screenMode < ModeLetters.size() ? ModeLetters[screenMode] : 'X';
    switch (variant) {
    case ScreenFileVariant::Single:
        extension[3] = letter;
        break;
    case ScreenFileVariant::SecondOfPair:
        extension[2] = letter;
        extension[3] = '0';
        break;
    case ScreenFileVariant::FirstOfPair:
        extension[2] = letter;
        extension[3] = '1';
        break;
    }
    return replaceFileExtension(sourcePath, extension);
}

std::string replaceFileExtension(const std::string& path, std::string_view extension) {
    // Only the file name itself has an extension: dots in folder names do not count, and the
    // leading dots of a hidden file's name are part of the name.
    const std::size_t separator = path.find_last_of("/\\");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t stemStart = path.find_first_not_of('.', nameStart);
    const std::size_t dot = path.rfind('.');
    const bool hasExtension =
        stemStart != std::string::npos && dot != std::string::npos && dot > stemStart;
    return (hasExtension ? path.substr(0, dot) : path) + std::string(extension);
}

void writeScreenFiles(MessageOwner owner, const std::string& sourcePath,
                      std::span<const std::uint8_t> data, std::int32_t bytesPerLine,
                      std::int32_t lines, const ConversionSettings& settings,
                      UserFeedback& feedback) {
    if (!dataCovers(data, bytesPerLine, lines)) {
        reportWriteFailure(feedback, owner);
        return;
    }
    const bool interlaced = settings.interlace != 0;
    const auto lineCount = static_cast<std::size_t>(lines);
    const ScreenJob job{.owner = owner,
                        .sourcePath = sourcePath,
                        .data = data,
                        .bytesPerLine = static_cast<std::size_t>(bytesPerLine),
                        .linesPerFile = interlaced ? lineCount / 2 : lineCount,
                        .settings = settings,
                        .feedback = feedback};
    if (!interlaced) {
        writePass(job, {0, 1, ScreenFileVariant::Single, "名前を付けて保存"});
        return;
    }
    // Even lines go to the first file (digit 1), odd lines to the second (digit 0).
    if (writePass(job, {0, 2, ScreenFileVariant::FirstOfPair, "名前を付けて保存（偶数ライン）"})) {
        writePass(job, {1, 2, ScreenFileVariant::SecondOfPair, "名前を付けて保存（奇数ライン）"});
    }
}

} // namespace tarvelo
