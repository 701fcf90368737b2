// The command-line text that the Windows entry splits (Windows only).
#pragma once

namespace murvo::platform {

// The text after the program's name in `commandLine`: the name, quoted or
// not (a quoted stretch may hold blanks), and the control characters and
// blanks after it are skipped. Bytes of 0x80 and above are ordinary
// characters of the name or of the arguments.
const char* textAfterProgramName(const char* commandLine);

// The process's own command-line text after the program's name. It stands
// in for the text that the C runtime hands to WinMain: mingw-w64's start-up
// code compares signed characters and so drops bytes of 0x80 and above
// (é in code page 1252) at the start of the first argument.
const char* commandLineArguments();

}  // namespace murvo::platform
