#pragma once

#include "engine/UserFeedback.h"

namespace tarvelo::fuzzing {

/// Takes every message and cancels every prompt.
class SilentFeedback : public UserFeedback {
public:
    int messages = 0;
    void showMessage(std::string_view, std::string_view, MessageOwner, MessageIcon) override {
        ++messages;
    }
    std::optional<std::string> askSaveFileName(MessageOwner, std::string_view,
                                               const std::vector<FileFilter>&,
                                               std::string_view) override {
        return std::nullopt;
    }
};

} // namespace tarvelo::fuzzing
