#include "cli/ConsoleFeedback.h"

#include <cstdio>

namespace tarvelo {

ConsolePrinter::ConsolePrinter(bool showProgress) : m_showProgress(showProgress) {}

void ConsolePrinter::printLine(const std::string& line) {
    std::lock_guard lock(m_mutex);
    if (m_progressShown) {
        std::fputs("\r\033[K", stderr);
        m_progressShown = false;
    }
    std::fputs(line.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void ConsolePrinter::showProgress(const std::string& line) {
    if (!m_showProgress) {
        return;
    }
    std::lock_guard lock(m_mutex);
    std::fputs("\r\033[K", stderr);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void ConsolePrinter::clearProgress() {
    std::lock_guard lock(m_mutex);
    if (m_progressShown) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_progressShown = false;
    }
}

void ConsoleFeedback::showMessage(std::string_view text, std::string_view caption, MessageOwner,
                                  MessageIcon icon) {
    // A message box's line breaks become blanks so that every message is one line.
    std::string flat(text);
    for (char& c : flat) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    std::string line = std::string(caption) + ": " + flat;
    if (!m_picture.empty()) {
        line += " [" + m_picture + "]";
    }
    m_printer.printLine(line);
    if (icon == MessageIcon::Warning) {
        ++m_problems;
    }
}

std::optional<std::string> ConsoleFeedback::askSaveFileName(MessageOwner, std::string_view,
                                                           const std::vector<FileFilter>&,
                                                           std::string_view suggestedPath) {
    if (suggestedPath.empty()) {
        return std::nullopt;
    }
    return std::string(suggestedPath);
}

} // namespace tarvelo
