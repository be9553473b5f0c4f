#include "engine/PreviewStore.h"

#include "engine/PreviewRenderer.h"
#include "engine/SourcePictureStore.h"

#include <cassert>

namespace tarvelo {

namespace {

constexpr std::size_t SurfaceSize =
    static_cast<std::size_t>(PreviewWidth) * static_cast<std::size_t>(PreviewHeight);

bool validIndex(int index) { return index >= 0 && index < PreviewStore::SlotCount; }

} // namespace

PreviewStore::PreviewStore(SourcePictureStore& sources) : m_sources(sources) {}

int PreviewStore::findFreePreviewSlot() const {
    for (int index = 0; index < SlotCount; ++index) {
        const PreviewSlot& candidate = m_slots[static_cast<std::size_t>(index)];
        if (!candidate.reserved && !candidate.inUse) {
            return index;
        }
    }
    return -1;
}

bool PreviewStore::createPreviewBitmaps(int index) {
    if (!validIndex(index)) {
        return false;
    }
    PreviewSlot& target = m_slots[static_cast<std::size_t>(index)];
    if (target.reserved || target.inUse) {
        return false;
    }
    try {
        target.resultPixels.assign(SurfaceSize, 0);
        target.sourcePixels.assign(SurfaceSize, 0);
    } catch (const std::bad_alloc&) {
        target = PreviewSlot{};
        return false;
    }
    target.reserved = true;
    return true;
}

void PreviewStore::drawSourceView(int index, const std::vector<RgbPixel>& pixels,
                                  std::int32_t width, std::int32_t height) {
    if (!validIndex(index) || width <= 0 || height <= 0) {
        return;
    }
    PreviewSlot& target = m_slots[static_cast<std::size_t>(index)];
    assert(pixels.size() >= static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    if (target.sourcePixels.size() != SurfaceSize) {
        return;
    }
    // Nearest neighbour: a 512 x 212 picture shows each line twice, a 256 x 424 one each dot twice.
    for (std::int64_t y = 0; y < PreviewHeight; ++y) {
        const std::int64_t sourceRow = y * height / PreviewHeight;
        for (std::int64_t x = 0; x < PreviewWidth; ++x) {
            const std::int64_t sourceColumn = x * width / PreviewWidth;
            target.sourcePixels[static_cast<std::size_t>(y * PreviewWidth + x)] =
                pixels[static_cast<std::size_t>(sourceRow * width + sourceColumn)];
        }
    }
}

void PreviewStore::abandonPreviewSlot(int index) {
    if (!validIndex(index)) {
        return;
    }
    PreviewSlot& target = m_slots[static_cast<std::size_t>(index)];
    if (target.reserved && !target.inUse) {
        target = PreviewSlot{};
    }
}

void PreviewStore::storeResult(int index, std::vector<std::uint8_t> encodedData,
                               const ConversionSettings& settings, std::int32_t sourceIndex) {
    assert(validIndex(index));
    PreviewSlot& target = m_slots[static_cast<std::size_t>(index)];
    assert(target.reserved && !target.inUse);
    target.encodedData = std::move(encodedData);
    target.settings = settings;
    target.sourceIndex = sourceIndex;
    renderPreview(target.encodedData, target.resultPixels, target.settings);
    target.reserved = false;
    target.inUse = true;
    m_currentPreview = index;
    m_showSource = false;
}

void PreviewStore::freePreview(int index) {
    if (!isInUse(index)) {
        return;
    }
    PreviewSlot& target = m_slots[static_cast<std::size_t>(index)];
    const std::int32_t sourceIndex = target.sourceIndex;
    target = PreviewSlot{};
    m_sources.releaseSource(sourceIndex);
    if (m_currentPreview == index) {
        m_currentPreview = nextPreview(index);
    }
}

void PreviewStore::freeAllPreviews() {
    for (int index = 0; index < SlotCount; ++index) {
        freePreview(index);
    }
}

int PreviewStore::nextPreview(int index) const {
    for (int step = 1; step <= SlotCount; ++step) {
        const int candidate = ((index + step) % SlotCount + SlotCount) % SlotCount;
        if (isInUse(candidate)) {
            return candidate;
        }
    }
    return -1;
}

int PreviewStore::previousPreview(int index) const {
    for (int step = 1; step <= SlotCount; ++step) {
        const int candidate = ((index - step) % SlotCount + SlotCount) % SlotCount;
        if (isInUse(candidate)) {
            return candidate;
        }
    }
    return -1;
}

int PreviewStore::previewPosition(int index) const {
    if (!validIndex(index)) {
        return -1;
    }
    int position = 0;
    for (int candidate = 0; candidate <= index; ++candidate) {
        position += isInUse(candidate) ? 1 : 0;
    }
    return position;
}

int PreviewStore::previewCount() const {
    int count = 0;
    for (const PreviewSlot& candidate : m_slots) {
        count += candidate.inUse ? 1 : 0;
    }
    return count;
}

const PreviewSlot& PreviewStore::slot(int index) const {
    assert(validIndex(index));
    return m_slots[static_cast<std::size_t>(index)];
}

bool PreviewStore::isInUse(int index) const {
    return validIndex(index) && m_slots[static_cast<std::size_t>(index)].inUse;
}

} // namespace tarvelo
