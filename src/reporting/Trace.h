// The launch trace: when the environment variable MURVO_TRACE is set, one
// line per step of the launch, prefixed "murvo: ", on standard error for the
// value "-", otherwise appended to the file it names. Without the variable
// nothing is written and no file is opened. A trace that cannot be written
// is skipped and changes nothing else.
#pragma once

#include <string>

namespace murvo {

// True when the trace is on; callers test it before building a line, so that
// a launch without the trace does no work for it.
bool tracing();

// Writes one line of the trace; nothing when the trace is off.
void trace(const std::string& line);

}  // namespace murvo
