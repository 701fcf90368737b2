// The message of the console launcher (murvoc.exe): one line on standard
// error, no box, as a command-line program reports.
#include "platform/MessageDisplay.h"

namespace murvo::platform {

void showMessage(const std::string& text) {
  writeErrorLine(text);
}

// The address is part of the text; a line has nothing to ask.
void showMessageOffering(const std::string& text, const std::string&) {
  writeErrorLine(text);
}

}  // namespace murvo::platform
