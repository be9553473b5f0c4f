#pragma once

#include "engine/AtomicFile.h"

#include <string>

namespace tarvelo::testing {

/// Sets the process-wide file faults for one test and clears them again however it ends.
class FileFaultGuard {
public:
    explicit FileFaultGuard(const FileFaults& faults) { fileFaults() = faults; }
    ~FileFaultGuard() { fileFaults() = FileFaults{}; }
    FileFaultGuard(const FileFaultGuard&) = delete;
    FileFaultGuard& operator=(const FileFaultGuard&) = delete;
};

/// The three ways a write can fail: the file cannot be created, a write fails part-way (a full
/// disk), or the final rename fails.
struct FileFaultCase {
    const char* name;
    FileFaults faults;
    bool createFails;
};

inline const FileFaultCase FileFaultCases[] = {
    {"create", {.failCreate = true}, true},
    {"first write", {.failWriteAfterBytes = 0}, false},
    {"later write", {.failWriteAfterBytes = 20}, false},
    {"commit", {.failCommit = true}, false},
};

} // namespace tarvelo::testing
