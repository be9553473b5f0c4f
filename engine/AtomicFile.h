#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace tarvelo {

/// A file written under a temporary name in the target's folder and renamed over the target only
/// when `commit` succeeds, so a failed or abandoned write never leaves a partial file and never
/// touches an earlier file of the same name. Destroying an uncommitted file removes the
/// temporary.
class AtomicFile {
public:
    explicit AtomicFile(std::string targetPath);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Creates the temporary file. False when it cannot be created.
    bool create();
    /// Appends bytes. False on a failed write; later writes then fail too.
    bool write(std::span<const std::uint8_t> bytes);
    /// Flushes, closes and renames over the target. False (and the temporary removed) on failure.
    bool commit();
    /// Closes and removes the temporary without touching the target.
    void abandon();

    const std::string& targetPath() const { return m_targetPath; }

private:
    std::string m_targetPath;
    std::string m_temporaryPath;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    std::uint64_t m_bytesWritten = 0;
};

/// Test seam: makes file creation or writing fail on purpose, as a read-only folder or a full
/// disk would. Process-wide; tests reset it when done.
struct FileFaults {
    bool failCreate = false;
    /// Writes fail once this many bytes have been written to one file (-1: never).
    std::int64_t failWriteAfterBytes = -1;
    /// The rename over the target fails.
    bool failCommit = false;
};
FileFaults& fileFaults();

/// Reads a whole file (at most `limit` bytes). False when it cannot be opened or read.
bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out,
                   std::size_t limit = SIZE_MAX);

} // namespace tarvelo
