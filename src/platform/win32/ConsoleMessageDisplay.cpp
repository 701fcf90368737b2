// The message of the console launcher (murvoc.exe): one line on standard
// error, no box, as a command-line program reports.
#include "platform/MessageDisplay.h"

namespace murvo::platform {

void showMessage(const std::string& text) {
  writeErrorLine(text);
}

}  // namespace murvo::platform
