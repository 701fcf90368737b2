#include "launcher/Trace.h"

#include <cstdio>
#include <optional>

#include "platform/Environment.h"
#include "platform/FileAccess.h"

namespace murvo {

namespace {

struct TraceOutput {
  bool on = false;
  std::FILE* stream = nullptr;  // null when the trace cannot be written
};

// Settled on first use, for the rest of the process.
TraceOutput& output() {
  static TraceOutput settled = [] {
    TraceOutput result;
    const std::optional<std::string> target = platform::environmentVariable("MURVO_TRACE");
    if (!target) return result;
    result.on = true;
    result.stream = *target == "-" ? stderr : platform::openForAppend(*target);
    return result;
  }();
  return settled;
}

}  // namespace

bool tracing() {
  return output().on;
}

void trace(const std::string& line) {
  std::FILE* stream = output().stream;
  if (!stream) return;
  // One write per line, flushed at once: a line stays whole among the
  // program's own output and survives a crash of the process.
  const std::string text = "murvo: " + line + "\n";
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace murvo
