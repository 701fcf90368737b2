#pragma once

#include <optional>
#include <string>

namespace murvo::platform {

// Shows one message to the user: a modal box with the exclamation icon on
// Windows (also written to standard error when there is one), a line on
// standard error elsewhere. Returns when the user has seen it.
void showMessage(const std::string& text);

// As showMessage; where the message is a box (murvo.exe), it also asks
// whether to open `address` and opens it with the system's browser on yes.
void showMessageOffering(const std::string& text, const std::string& address);

// True when standard error is a terminal (a console on Windows).
bool standardErrorIsTerminal();

// Shows `text` in a dialog of the user's desktop titled `title`, through
// the first of zenity, kdialog and xmessage that lies in the system's own
// program folders (never one found through PATH). Waits until the dialog is
// closed, at most `waitSeconds`; a dialog still open then stays open on its
// own. The path of the program that shows it, or nothing when none could.
// Windows programs have their message box instead: nothing there.
std::optional<std::string> showDesktopDialog(const std::string& title, const std::string& text,
                                             unsigned waitSeconds);

// Writes one line on standard error, when the process has one: what led to a
// failure, before its message. A reader that has gone ends nothing.
void writeErrorLine(const std::string& text);

}  // namespace murvo::platform
