// Splits arbitrary command-line texts. Beyond not crashing: no argument is
// empty; no character is lost, added or moved; without a double quote the
// arguments are exactly the runs between blanks, tabs and line feeds; and
// arguments written back with quotes split into themselves again.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "launcher/CommandLine.h"

namespace {

using murvo::fuzz::require;

constexpr const char* programName = "app";

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

std::vector<std::string> split(const std::string& text) {
  murvo::CommandLine line(text.c_str(), programName);
  char** argv = line.getArgv();
  require(line.getArgc() >= 1 && argv[0] == programName, "argv[0] is the program's name");
  std::vector<std::string> arguments(argv + 1, argv + line.getArgc());
  // The launcher keeps these to the end of its process; released here so
  // that leak checking stays useful.
  for (int i = 1; i < line.getArgc(); ++i) delete[] argv[i];
  delete[] argv;
  return arguments;
}

// The text without separators, quotes and backslashes: what splitting may
// neither add to, drop from nor reorder.
std::string substance(const std::string& text) {
  std::string kept;
  for (char c : text) {
    if (!isSeparator(c) && c != '"' && c != '\\') kept += c;
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The entry receives a zero-terminated text: it ends at the first zero byte.
  const std::string text = std::string(reinterpret_cast<const char*>(data), size).c_str();
  const std::vector<std::string> arguments = split(text);

  std::vector<std::string> runs(1);
  for (char c : text) {
    if (!isSeparator(c)) {
      runs.back() += c;
    } else if (!runs.back().empty()) {
      runs.emplace_back();
    }
  }
  if (runs.back().empty()) runs.pop_back();
  require(text.find('"') != std::string::npos || arguments == runs,
          "without quotes the arguments are the runs between separators");

  std::string joined;
  std::string written;
  bool endsInBackslash = false;
  for (const std::string& argument : arguments) {
    require(!argument.empty(), "no argument is empty");
    joined += substance(argument);
    endsInBackslash |= argument.back() == '\\';
    written += " \"";
    for (char c : argument) written += c == '"' ? std::string("\\\"") : std::string(1, c);
    written += '"';
  }
  require(joined == substance(text), "every character of the text is kept once, in order");
  // A backslash just before the closing quote would protect it: such an
  // argument cannot be written back.
  require(endsInBackslash || split(written) == arguments,
          "arguments written back with quotes split into themselves");
  return 0;
}
