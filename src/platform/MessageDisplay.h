#pragma once

#include <string>

namespace murvo::platform {

// Shows one message to the user: a modal box with the exclamation icon on
// Windows (also written to standard error when there is one), a line on
// standard error elsewhere. Returns when the user has seen it.
void showMessage(const std::string& text);

// Writes one line on standard error when there is one, and nothing else:
// what explains a failure, before the message that reports it.
void writeErrorLine(const std::string& text);

}  // namespace murvo::platform
