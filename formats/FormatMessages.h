#pragma once

#include "engine/UserFeedback.h"

#include <string>
#include <string_view>

namespace tarvelo {

// The user-visible texts of the file writers and the palette reader, kept in one place.
inline constexpr std::string_view WriteFailedText = "書き込みに失敗しました。";
inline constexpr std::string_view ReadFailedSuffix = " の読み込みに失敗しました。";
inline constexpr std::string_view ErrorCaption = "Error";

/// Tells the user that a file could not be written, in a box owned by `owner`.
inline void reportWriteFailure(UserFeedback& feedback, MessageOwner owner) {
    feedback.showMessage(WriteFailedText, ErrorCaption, owner, MessageIcon::Warning);
}

/// Tells the user that `fileName` could not be read; the box has no owner window.
inline void reportReadFailure(UserFeedback& feedback, const std::string& fileName) {
    feedback.showMessage(fileName + std::string(ReadFailedSuffix), ErrorCaption, MessageOwner::None,
                         MessageIcon::Warning);
}

} // namespace tarvelo
