#pragma once

#include "engine/UserFeedback.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo::testing {

/// Records every message and prompt; prompts are answered from a queue (cancel when empty).
class RecordingFeedback : public UserFeedback {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageOwner owner;
        MessageIcon icon;
    };
    struct Prompt {
        MessageOwner owner;
        std::string title;
        std::vector<FileFilter> filters;
        std::string suggestedPath;
    };

    std::vector<Message> messages;
    std::vector<Prompt> prompts;
    /// Answers for `askSaveFileName`, taken in order; nothing = cancel.
    std::deque<std::optional<std::string>> answers;

    void showMessage(std::string_view text, std::string_view caption, MessageOwner owner,
                     MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), owner, icon});
    }

    std::optional<std::string> askSaveFileName(MessageOwner owner, std::string_view title,
                                               const std::vector<FileFilter>& filters,
                                               std::string_view suggestedPath) override {
        prompts.push_back({owner, std::string(title), filters, std::string(suggestedPath)});
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    /// The texts of the messages, in order.
    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Message& message : messages) {
            result.push_back(message.text);
        }
        return result;
    }
};

} // namespace tarvelo::testing
