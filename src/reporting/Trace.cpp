#include "reporting/Trace.h"

#include <mutex>
#include <optional>

#include "platform/Environment.h"
#include "platform/LineOutput.h"

namespace murvo {

namespace {

struct TraceOutput {
  bool on = false;
  // Nothing when the trace cannot be written, or its reader has gone.
  std::optional<platform::LineOutput> target;
  std::mutex writing;
};

// Settled on first use, for the rest of the process; never destroyed, since
// a thread may trace while the process ends.
TraceOutput& output() {
  static TraceOutput& settled = *[] {
    auto* result = new TraceOutput;
    const std::optional<std::string> target = platform::environmentVariable("MURVO_TRACE");
    if (!target) return result;
    result->on = true;
    result->target = *target == "-" ? std::optional(platform::standardErrorOutput())
                                    : platform::openLineOutput(*target);
    return result;
  }();
  return settled;
}

}  // namespace

bool tracing() {
  return output().on;
}

void trace(const std::string& line) {
  TraceOutput& out = output();
  if (!out.target) return;
  // One write per line: a line stays whole among the program's own output
  // and other launches' traces, and survives a crash of the process.
  const std::string text = "murvo: " + line + "\n";
  std::lock_guard lock(out.writing);
  if (out.target && !platform::writeLine(*out.target, text)) out.target.reset();
}

}  // namespace murvo
