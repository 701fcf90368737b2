// The command-line text that the Windows entry splits (Windows only).
#pragma once

namespace murvo::platform {

// The text after the program's name in `commandLine`: the name, and the
// control characters and blanks after it, are skipped. A name that opens
// with a quote ends at its closing quote; an unquoted one at the first blank
// outside a quoted stretch. Only ASCII bytes count, so the text may be UTF-8.
const char* textAfterProgramName(const char* commandLine);

// The process's own command-line text after the program's name, in UTF-8
// (taken from the system's wide command line, so that every character
// survives). It lives to the end of the process.
const char* commandLineArguments();

}  // namespace murvo::platform
