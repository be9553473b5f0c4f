#pragma once

#include "engine/ConversionSettings.h"
#include "engine/Picture.h"
#include "engine/RgbPixel.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tarvelo {

class SourcePictureStore;

/// One kept result: the rendered 512 x 424 picture, the 512 x 424 view of the source it came
/// from, the encoded data to save again, the settings that made it and its source picture.
struct PreviewSlot {
    /// Reserved by a conversion in progress, or in use once the result is stored.
    bool reserved = false;
    bool inUse = false;
    std::vector<RgbPixel> resultPixels; // PreviewWidth x PreviewHeight when in use
    std::vector<RgbPixel> sourcePixels; // PreviewWidth x PreviewHeight when reserved or in use
    std::vector<std::uint8_t> encodedData;
    ConversionSettings settings;
    std::int32_t sourceIndex = -1;
};

/// The last results of conversions, up to 50, in slot order, and which one is shown. A slot in
/// use holds one reference on its source picture.
class PreviewStore {
public:
    static constexpr int SlotCount = 50;

    explicit PreviewStore(SourcePictureStore& sources);

    /// The lowest slot neither reserved nor in use, or -1.
    int findFreePreviewSlot() const;
    /// Reserves a free slot for a conversion (gives it its two surfaces). False for a negative
    /// index or a slot already reserved or in use.
    bool createPreviewBitmaps(int index);
    /// Nearest-neighbour stretch of a width x height picture into the slot's source view.
    void drawSourceView(int index, const std::vector<RgbPixel>& pixels, std::int32_t width,
                        std::int32_t height);
    /// Gives a reserved slot that received no result back. No source reference is touched.
    void abandonPreviewSlot(int index);
    /// Fills a reserved slot: takes the encoded data, a copy of the settings and the caller's
    /// reference on `sourceIndex`, renders the result, makes it current and shows the result.
    void storeResult(int index, std::vector<std::uint8_t> encodedData,
                     const ConversionSettings& settings, std::int32_t sourceIndex);

    /// Frees a slot in use and releases its source reference; if it was current, the next slot
    /// in use (or none) becomes current. Nothing for a slot not in use.
    void freePreview(int index);
    void freeAllPreviews();

    /// The first slot in use after `index` (wrapping, `index` itself last), or -1.
    int nextPreview(int index) const;
    /// The same backwards.
    int previousPreview(int index) const;
    /// 1-based position of the slot among the slots in use; -1 for -1.
    int previewPosition(int index) const;
    int previewCount() const;

    const PreviewSlot& slot(int index) const;
    bool isInUse(int index) const;

    int currentPreview() const { return m_currentPreview; }
    void setCurrentPreview(int index) { m_currentPreview = index; }
    bool showSource() const { return m_showSource; }
    void setShowSource(bool on) { m_showSource = on; }
    bool showSettingsText() const { return m_showSettingsText; }
    void setShowSettingsText(bool on) { m_showSettingsText = on; }

private:
    SourcePictureStore& m_sources;
    std::array<PreviewSlot, SlotCount> m_slots{};
    int m_currentPreview = -1;
    bool m_showSource = false;
    bool m_showSettingsText = true;
};

} // namespace tarvelo
