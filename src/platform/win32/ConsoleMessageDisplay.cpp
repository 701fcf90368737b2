// The message of the console launcher (murvoc.exe): one line on standard
// error, no box, as a command-line program reports.
#include "platform/MessageDisplay.h"
#include "platform/win32/StandardErrorCopy.h"

namespace murvo::platform {

void showMessage(const std::string& text) {
  copyToStandardError(text);
}

}  // namespace murvo::platform
