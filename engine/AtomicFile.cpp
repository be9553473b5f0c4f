#include "engine/AtomicFile.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tarvelo {

namespace {

std::atomic<unsigned> temporaryCounter{0};

std::string temporaryNameFor(const std::string& target) {
    // Same folder as the target so that the final rename never crosses file systems.
    return target + ".tmp" + std::to_string(::getpid()) + "-" +
           std::to_string(temporaryCounter.fetch_add(1));
}

} // namespace

FileFaults& fileFaults() {
    static FileFaults faults;
    return faults;
}

AtomicFile::AtomicFile(std::string targetPath) : m_targetPath(std::move(targetPath)) {}

AtomicFile::~AtomicFile() { abandon(); }

bool AtomicFile::create() {
    abandon();
    if (fileFaults().failCreate || m_targetPath.empty()) {
        return false;
    }
    // A folder of that name cannot be replaced by a file; refuse before making a temporary.
    std::error_code error;
    if (std::filesystem::is_directory(m_targetPath, error)) {
        return false;
    }
    m_temporaryPath = temporaryNameFor(m_targetPath);
    const int descriptor = ::open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        m_temporaryPath.clear();
        return false;
    }
    m_file = ::fdopen(descriptor, "wb");
    if (m_file == nullptr) {
        ::close(descriptor);
        std::remove(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return false;
    }
    m_failed = false;
    m_bytesWritten = 0;
    return true;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes) {
    if (m_file == nullptr || m_failed) {
        return false;
    }
    const std::int64_t limit = fileFaults().failWriteAfterBytes;
    if (limit >= 0 && m_bytesWritten + bytes.size() > static_cast<std::uint64_t>(limit)) {
        m_failed = true;
        return false;
    }
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_failed = true;
        return false;
    }
    m_bytesWritten += bytes.size();
    return true;
}

bool AtomicFile::commit() {
    if (m_file == nullptr || m_failed) {
        abandon();
        return false;
    }
    bool flushed = std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    flushed = (std::fclose(m_file) == 0) && flushed;
    m_file = nullptr;
    if (!flushed || fileFaults().failCommit ||
        std::rename(m_temporaryPath.c_str(), m_targetPath.c_str()) != 0) {
        std::remove(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return false;
    }
    m_temporaryPath.clear();
    return true;
}

void AtomicFile::abandon() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporaryPath.empty()) {
        std::remove(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out, std::size_t limit) {
    out.clear();
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return false;
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::uint8_t buffer[65536];
    bool ok = true;
    while (out.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - out.size());
        const std::size_t got = std::fread(buffer, 1, wanted, file);
        out.insert(out.end(), buffer, buffer + got);
        if (got < wanted) {
            ok = std::ferror(file) == 0;
            break;
        }
    }
    std::fclose(file);
    return ok;
}

} // namespace tarvelo
