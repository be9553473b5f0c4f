#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

/// The window a message box or a prompt belongs to; the desktop program disables its owner while
/// it is open, the command line names it in nothing.
enum class MessageOwner { None, MainWindow, ScriptWindow };

/// Error and warning boxes carry the warning icon; script `MSG` boxes carry none.
enum class MessageIcon { Warning, None };

/// One entry of a save prompt's list of file types: "MSX画像ﾌｧｲﾙ(*.SC?/*.SR?)" with "*.SC?;*.SR?".
struct FileFilter {
    std::string description;
    std::string patterns;
};

/// How the engine, the file writers and the script interpreter talk to the person using the
/// program. All texts are UTF-8. The desktop program shows boxes and dialogs, the command line
/// prints and answers prompts itself, and tests record what they were told.
class UserFeedback {
public:
    virtual ~UserFeedback() = default;

    /// A message box with an OK button; returns when it has been dismissed.
    virtual void showMessage(std::string_view text, std::string_view caption, MessageOwner owner,
                             MessageIcon icon = MessageIcon::Warning) = 0;

    /// The save-file prompt: returns the chosen path, or nothing when the user cancelled. The
    /// desktop prompt starts with no name and asks before an existing file is replaced.
    /// `suggestedPath` is the name the writer would make automatically (from the source
    /// picture's path; empty when it has none), for hosts that answer without asking anyone.
    virtual std::optional<std::string> askSaveFileName(MessageOwner owner, std::string_view title,
                                                       const std::vector<FileFilter>& filters,
                                                       std::string_view suggestedPath) = 0;
};

} // namespace tarvelo
