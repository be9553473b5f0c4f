#pragma once

#include "engine/UserFeedback.h"

#include <functional>
#include <mutex>
#include <string>

namespace tarvelo {

/// Writes lines to standard error one at a time, so that jobs running side by side never mix
/// their lines; a progress line being shown is cleared first.
class ConsolePrinter {
public:
    explicit ConsolePrinter(bool showProgress);
    void printLine(const std::string& line);
    /// Replaces the progress line (only when progress is shown).
    void showProgress(const std::string& line);
    void clearProgress();

private:
    std::mutex m_mutex;
    bool m_showProgress;
    bool m_progressShown = false;
};

/// The command line's answer to the program's message boxes and prompts: messages are printed
/// with their caption and the picture they concern; save prompts take the name the writer
/// would make automatically, since there is no one to ask.
class ConsoleFeedback : public UserFeedback {
public:
    explicit ConsoleFeedback(ConsolePrinter& printer) : m_printer(printer) {}

    /// The picture that following messages concern.
    void setPicture(std::string name) { m_picture = std::move(name); }
    /// Error and warning boxes shown since the last reset.
    int problems() const { return m_problems; }
    void resetProblems() { m_problems = 0; }

    void showMessage(std::string_view text, std::string_view caption, MessageOwner owner,
                     MessageIcon icon) override;
    std::optional<std::string> askSaveFileName(MessageOwner owner, std::string_view title,
                                               const std::vector<FileFilter>& filters,
                                               std::string_view suggestedPath) override;

private:
    ConsolePrinter& m_printer;
    std::string m_picture;
    int m_problems = 0;
};

} // namespace tarvelo
