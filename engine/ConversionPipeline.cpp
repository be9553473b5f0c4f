#include "engine/ConversionPipeline.h"

#include "engine/DibDecoder.h"
#include "engine/HalfToneTiles.h"
#include "engine/PaletteDetermination.h"
#include "engine/PaletteModeEncoder.h"
#include "engine/PreviewStore.h"
#include "engine/Resampler.h"
#include "engine/ScreenGeometry.h"
#include "engine/SourcePictureStore.h"
#include "engine/YjkEncoder.h"
#include "formats/ScreenFileWriter.h"

#include <algorithm>
#include <new>
#include <utility>
#include <optional>

namespace tarvelo {

namespace {

constexpr const char* CannotKeepPreviewMessage = "これ以上プレビューを記憶できません。";
constexpr const char* UnsupportedMessage = "読み込めません。非対応の形式です。";
constexpr const char* TooSmallMessage = "画像が小さすぎます。";
constexpr const char* OutOfMemoryMessage = "メモリ不足です。";

/// Gives a reserved preview slot back unless the conversion stored its result in it.
class ReservedSlot {
public:
    ReservedSlot(PreviewStore& previews, int index) : m_previews(previews), m_index(index) {}
    ~ReservedSlot() {
        if (m_index >= 0) {
            m_previews.abandonPreviewSlot(m_index);
        }
    }
    ReservedSlot(const ReservedSlot&) = delete;
    ReservedSlot& operator=(const ReservedSlot&) = delete;
    int index() const { return m_index; }
    int keep() { return std::exchange(m_index, -1); }

private:
    PreviewStore& m_previews;
    int m_index;
};

/// Takes the zero colour from the source picture at (`zeroX`, `zeroY`), counted from its
/// top-left corner and clamped into it. An empty picture has no colour to give: the setting
/// is left as it was.
void pickZeroColour(ConversionSettings& settings, const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0) {
        return;
    }
    const std::int32_t x = std::clamp(settings.zeroX, 0, picture.width - 1);
    const std::int32_t y = std::clamp(settings.zeroY, 0, picture.height - 1);
    settings.zeroColor = picture.pixels[static_cast<std::size_t>(y) *
                                            static_cast<std::size_t>(picture.width) +
                                        static_cast<std::size_t>(x)];
}

/// The path output names are made from: the source path, or its file name in the output folder.
std::string outputNamePath(const std::string& sourcePath, const ConversionServices& services) {
    if (!services.outputFolder || sourcePath.empty()) {
        return sourcePath;
    }
    const std::size_t slash = sourcePath.find_last_of('/');
    const std::string fileName =
        slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    return *services.outputFolder + "/" + fileName;
}

void resampleForScreen(const Picture& picture, std::vector<RgbPixel>& resampled,
                       ScreenGeometry geometry, const ConversionSettings& settings,
                       const ProgressCallback& progress) {
    const auto resampler = settings.resize != 0 ? resampleScale
                           : (settings.interlace != 0 && settings.screenMode != 1)
                               ? resampleHalfWidth
                               : resampleCrop;
    // The resampler's own result only tells whether the callback stopped it, which the
    // pipeline's callback never does.
    resampler(picture.pixels, picture.width, picture.height, resampled, geometry.dotsPerLine,
              geometry.lines, progress, settings.colorPrecision);
}

void encodeForScreen(const std::vector<RgbPixel>& resampled, ScreenGeometry geometry,
                     std::vector<std::uint8_t>& result, const ConversionSettings& settings,
                     const ProgressCallback& progress, const PaletteColours& palette,
                     const HalfToneTileList& tiles, int tileCount) {
    if (settings.screenMode <= 2) {
        encodePaletteMode(resampled, geometry.dotsPerLine, geometry.lines, result, settings,
                          progress, std::span(palette.colours).first(
                                        static_cast<std::size_t>(palette.count)),
                          std::span(tiles).first(static_cast<std::size_t>(tileCount)));
    } else {
        encodeYjk(resampled, geometry.dotsPerLine, geometry.lines, result, settings, progress);
    }
}

} // namespace

int convertPicture(ConversionSettings& settings, int sourceIndex, ConversionServices& services) {
    UserFeedback& feedback = services.feedback;
    const ProgressCallback progress = services.progress ? services.progress : keepGoing;

    int reservedIndex = -1;
    if ((settings.outputTarget & OutputToPreview) != 0) {
        reservedIndex = services.previews.findFreePreviewSlot();
        if (!services.previews.createPreviewBitmaps(reservedIndex)) {
            feedback.showMessage(CannotKeepPreviewMessage, "Warning", MessageOwner::MainWindow);
            return -1;
        }
    }
    ReservedSlot reserved(services.previews, reservedIndex);

    std::optional<Picture> decoded;
    if (services.sources.isOccupied(sourceIndex)) {
        const SourcePictureSlot& source = services.sources.slot(sourceIndex);
        decoded = decodeDib(source.dibBlock, source.rowsOffset);
    }
    if (!decoded) {
        feedback.showMessage(UnsupportedMessage, "Error", MessageOwner::MainWindow);
        return -1;
    }
    if (settings.resize != 0 && (decoded->width < 8 || decoded->height < 8)) {
        feedback.showMessage(TooSmallMessage, "Error", MessageOwner::None);
        return -1;
    }
    if (settings.zeroMode == 2) {
        pickZeroColour(settings, *decoded);
    }

    const ScreenGeometry geometry = screenGeometryFor(settings);
    const std::size_t dotCount = static_cast<std::size_t>(geometry.dotsPerLine) *
                                 static_cast<std::size_t>(geometry.lines);
    std::vector<RgbPixel> resampled;
    std::vector<std::uint8_t> result;
    try {
        resampled.assign(dotCount, 0);
    } catch (const std::bad_alloc&) {
        feedback.showMessage(OutOfMemoryMessage, "Error", MessageOwner::None);
        return -1;
    }
    resampleForScreen(*decoded, resampled, geometry, settings, progress);
    decoded.reset();
    if (reserved.index() >= 0) {
        services.previews.drawSourceView(reserved.index(), resampled, geometry.dotsPerLine,
                                         geometry.lines);
    }

    PaletteColours palette;
    if (!determinePalette(palette, settings, resampled, geometry.dotsPerLine, geometry.lines,
                          feedback)) {
        return -1;
    }
    HalfToneTileList tiles{};
    int tileCount = 0;
    if (settings.meshTile != 0 && settings.isPaletteMode()) {
        tileCount = buildHalfToneTiles(settings.palette, settings.paletteEntryMode,
                                       settings.skipColorZero == 0, tiles);
    }
    try {
        result.assign(dotCount, 0);
    } catch (const std::bad_alloc&) {
        feedback.showMessage(OutOfMemoryMessage, "Error", MessageOwner::None);
        return -1;
    }
    encodeForScreen(resampled, geometry, result, settings, progress, palette, tiles, tileCount);
    std::vector<RgbPixel>().swap(resampled);

    const std::int32_t bytesPerLine =
        palette.count == 16 ? geometry.dotsPerLine / 2 : geometry.dotsPerLine;
    if ((settings.outputTarget & OutputToFiles) != 0) {
        writeScreenFiles(MessageOwner::MainWindow,
                         outputNamePath(services.sources.slot(sourceIndex).path, services),
                         std::span(result).first(static_cast<std::size_t>(bytesPerLine) *
                                                 static_cast<std::size_t>(geometry.lines)),
                         bytesPerLine, geometry.lines, settings, feedback);
    }
    if (reserved.index() < 0) {
        return -1;
    }
    const int filled = reserved.keep();
    services.previews.storeResult(filled, std::move(result), settings, sourceIndex);
    if (services.redrawMainDisplay) {
        services.redrawMainDisplay();
    }
    return filled;
}

} // namespace tarvelo
