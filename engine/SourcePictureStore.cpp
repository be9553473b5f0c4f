#include "engine/SourcePictureStore.h"

#include "engine/ByteOrder.h"

#include <cassert>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <utility>

namespace tarvelo {

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
constexpr std::size_t PixelOffsetField = 10;
// Every size and offset inside a DIB is a 32-bit field, so a longer block cannot describe
// itself; refusing it also keeps a huge file from being read into memory.
constexpr std::uint64_t MaxBlockSize = 0xFFFFFFFFu;

bool validIndex(int index) {
    return index >= 0 && index < SourcePictureStore::SlotCount;
}

/// Folders and devices are not pictures; opening them would "succeed" on some systems.
bool isPlainFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

/// The file's length, or nothing when it cannot be told (a folder, a pipe).
std::optional<std::uint64_t> fileLength(std::ifstream& file) {
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    file.seekg(0, std::ios::beg);
    if (!file || end < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(end);
}

/// Reads up to `block.size()` bytes; a shorter read leaves the rest as it was (zeros).
void readAvailable(std::ifstream& file, std::vector<std::uint8_t>& block) {
    file.read(reinterpret_cast<char*>(block.data()), static_cast<std::streamsize>(block.size()));
}

/// The rows' place counted from the start of the DIB block; an offset that points into the
/// file header itself means nothing.
std::optional<std::uint32_t> rowsOffsetOf(std::span<const std::uint8_t> fileHeader) {
    const std::uint32_t offBits = readLe32(fileHeader, PixelOffsetField);
    if (offBits < FileHeaderSize) {
        return std::nullopt;
    }
    return offBits - static_cast<std::uint32_t>(FileHeaderSize);
}

} // namespace

int SourcePictureStore::findFreeSourceSlot() const {
    for (int index = 0; index < SlotCount; ++index) {
        if (!isOccupied(index)) {
            return index;
        }
    }
    return -1;
}

/// Peeks at the first two bytes and puts the read position back.
static bool startsWithBmpMagic(std::ifstream& file) {
    char magic[2] = {0, 0};
    file.read(magic, 2);
    const bool bmp = file.gcount() == 2 && magic[0] == 'B' && magic[1] == 'M';
    file.clear();
    file.seekg(0);
    return bmp;
}

int SourcePictureStore::loadBmpFile(const std::string& path, UserFeedback& feedback) {
    const int index = findFreeSourceSlot();
    if (index < 0) {
        return -1;
    }
    std::ifstream file;
    if (isPlainFile(path)) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        feedback.showMessage(path + " を開けません。", "Error", MessageOwner::None);
        return -1;
    }
    if (m_otherPictureReader && !startsWithBmpMagic(file)) {
        file.close();
        std::optional<std::vector<std::uint8_t>> converted = m_otherPictureReader(path);
        return converted ? adoptDibBlock(*converted, std::nullopt, path) : -1;
    }
    const std::optional<std::uint64_t> length = fileLength(file);
    if (!length || *length < FileHeaderSize + InfoHeaderSize ||
        *length - FileHeaderSize > MaxBlockSize) {
        return -1;
    }
    std::array<std::uint8_t, FileHeaderSize> fileHeader{};
    file.read(reinterpret_cast<char*>(fileHeader.data()),
              static_cast<std::streamsize>(fileHeader.size()));
    if (!file || fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        return -1;
    }
    std::vector<std::uint8_t> block;
    try {
        block.resize(static_cast<std::size_t>(*length - FileHeaderSize));
    } catch (const std::bad_alloc&) {
        return -1;
    } catch (const std::length_error&) {
        return -1;
    }
    readAvailable(file, block);
    return adoptDibBlock(block, rowsOffsetOf(fileHeader), path);
}

int SourcePictureStore::adoptDibBlock(std::vector<std::uint8_t>& block,
                                      std::optional<std::uint32_t> rowsOffset, std::string path) {
    const int index = findFreeSourceSlot();
    if (index < 0) {
        return -1;
    }
    SourcePictureSlot& taken = m_slots[static_cast<std::size_t>(index)];
    taken.dibBlock = std::move(block);
    block.clear();
    taken.path = std::move(path);
    taken.rowsOffset = rowsOffset;
    taken.referenceCount = 1;
    return index;
}

void SourcePictureStore::addSourceReference(int index) {
    // Only a holder can hand out another reference, so the slot must be taken.
    assert(isOccupied(index));
    if (isOccupied(index)) {
        ++m_slots[static_cast<std::size_t>(index)].referenceCount;
    }
}

void SourcePictureStore::releaseSource(int index) {
    if (!isOccupied(index)) {
        return;
    }
    SourcePictureSlot& held = m_slots[static_cast<std::size_t>(index)];
    if (--held.referenceCount == 0) {
        held = SourcePictureSlot{}; // gives the block's memory back now, not at the next load
    }
}

const SourcePictureSlot& SourcePictureStore::slot(int index) const {
    assert(validIndex(index));
    return m_slots[static_cast<std::size_t>(index)];
}

bool SourcePictureStore::isOccupied(int index) const {
    return validIndex(index) && m_slots[static_cast<std::size_t>(index)].referenceCount > 0;
}

} // namespace tarvelo
