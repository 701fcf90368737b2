// Where the launch trace goes: a file that lines are appended to, each line
// by one write, so that launches tracing into one file never tear each
// other's lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace murvo::platform {

using LineOutput = std::intptr_t;

// Opens a regular file (made when missing) or a terminal for appending,
// without ever waiting: a FIFO, a socket, a folder or a device gives nothing,
// as a file that cannot be opened does.
std::optional<LineOutput> openLineOutput(const std::string& path);

// The process's standard error.
LineOutput standardErrorOutput();

// Writes the text by one write. False when it could not be written whole,
// for instance when the reader of a pipe has gone; that never ends the
// process.
bool writeLine(LineOutput output, const std::string& text);

}  // namespace murvo::platform
