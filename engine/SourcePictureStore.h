#pragma once

#include "engine/UserFeedback.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo {

/// One picture as it was loaded: the packed DIB block (a BMP file without its 14-byte file
/// header, or a clipboard DIB) with its length, the path it came from (empty for clipboard
/// pictures) and how many holders it has. 0 holders means the slot is free.
struct SourcePictureSlot {
    std::vector<std::uint8_t> dibBlock;
    std::string path;
    std::int32_t referenceCount = 0;
    /// For a BMP file: where its file header says the pixel rows start, counted from the start
    /// of `dibBlock` (the header's offset less 14). Nothing for clipboard pictures.
    std::optional<std::uint32_t> rowsOffset;
};

/// The loaded source pictures: 50 reference-counted slots. A conversion's caller holds one
/// reference while it converts; every stored preview made from the picture holds one.
class SourcePictureStore {
public:
    static constexpr int SlotCount = 50;

    /// The lowest free slot, or -1 when all 50 are taken.
    int findFreeSourceSlot() const;

    /// Loads a BMP file ("BM" magic, at least 54 bytes) into the lowest free slot with one
    /// reference and returns its index, or -1. The block is the file less its 14-byte header;
    /// the header's pixel offset is kept as `rowsOffset`. Only a file that cannot be opened
    /// (missing, unreadable, not a plain file) is reported here ("%s を開けません。"); the
    /// caller reports every -1 in its own words.
    int loadBmpFile(const std::string& path, UserFeedback& feedback);

    /// Takes a DIB block (for example a copy of the clipboard's) into the lowest free slot with
    /// one reference and an empty path. Returns -1 (and leaves `block` with the caller) when no
    /// slot is free.
    int adoptDibBlock(std::vector<std::uint8_t>& block,
                      std::optional<std::uint32_t> rowsOffset = std::nullopt,
                      std::string path = {});

    /// Reads a picture file that is not a BMP file as a packed DIB block, or gives nothing.
    using OtherPictureReader =
        std::function<std::optional<std::vector<std::uint8_t>>(const std::string& path)>;
    /// With a reader set, `loadBmpFile` hands files without the "BM" magic to it (the programs
    /// set one that reads PNG, JPEG, GIF, ... through their toolkit); without one they are
    /// refused as the BMP loader has always refused them.
    void setOtherPictureReader(OtherPictureReader reader) { m_otherPictureReader = std::move(reader); }

    void addSourceReference(int index);
    /// One holder less; the block is released with the last one. A free slot is left alone.
    void releaseSource(int index);

    const SourcePictureSlot& slot(int index) const;
    bool isOccupied(int index) const;

private:
    std::array<SourcePictureSlot, SlotCount> m_slots{};
    OtherPictureReader m_otherPictureReader;
};

/// The message callers show when `loadBmpFile` or `adoptDibBlock` returns -1.
inline constexpr const char* SourceLoadFailedMessage =
    "指定されたファイルが読み込めないか、これ以上画像を記憶できません。";

} // namespace tarvelo
