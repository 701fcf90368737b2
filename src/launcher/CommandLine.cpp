#include "launcher/CommandLine.h"

#include <cstring>
#include <string>
#include <vector>

#include "reporting/ErrorReporter.h"

namespace murvo {

namespace {

constexpr const char* separatorsAndQuote = " \"\t\n";

bool isSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

// The quoted text that starts after the opening quote at `open`; backslashes
// that protect a quote are removed. `end` becomes the position after the
// closing quote, or npos when there is none.
std::string takeQuoted(std::string& text, std::size_t open, std::size_t& end) {
  std::size_t searchFrom = open + 1;
  while (true) {
    const std::size_t quote = text.find('"', searchFrom);
    if (quote == std::string::npos) {
      end = std::string::npos;
      return text.substr(open + 1);
    }
    if (text[quote - 1] != '\\') {
      end = quote + 1;
      return text.substr(open + 1, quote - open - 1);
    }
    text.erase(quote - 1, 1);
    searchFrom = quote;
  }
}

std::vector<std::string> split(std::string text) {
  std::vector<std::string> arguments;
  std::string current;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t p = text.find_first_of(separatorsAndQuote, start);
    if (p == std::string::npos) {
      current += text.substr(start);
      start = text.size();
    } else if (isSeparator(text[p])) {
      current += text.substr(start, p - start);
      start = p + 1;
    } else if (p > start && text[p - 1] == '\\') {
      // A backslash protects a quote outside a quoted stretch too, as
      // programs that build a command line write an argument's quote:
      // the argument goes on.
      current += text.substr(start, p - 1 - start);
      current += '"';
      start = p + 1;
      continue;
    } else {
      // A quote, opening the argument or following characters of it: the
      // characters before it are kept, joined to the quoted text.
      current += text.substr(start, p - start);
      std::size_t end;
      current += takeQuoted(text, p, end);
      start = end == std::string::npos ? text.size() : end;
    }
    if (!current.empty()) arguments.push_back(std::move(current));
    current.clear();
  }
  // An argument that ends with a protected quote ends with the text.
  if (!current.empty()) arguments.push_back(std::move(current));
  return arguments;
}

char* copyOf(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

CommandLine::CommandLine(const char* commandLineText, const char* programName)
    : commandLineText(commandLineText), programName(programName) {
  parse();
}

void CommandLine::parse() {
  guard("Error reading command-line arguments", [&] {
    const std::vector<std::string> arguments = split(commandLineText ? commandLineText : "");
    // The array and its texts live to the end of the process.
    char** array = new char*[arguments.size() + 1];
    array[0] = const_cast<char*>(programName);
    for (std::size_t i = 0; i < arguments.size(); ++i) array[i + 1] = copyOf(arguments[i]);
    argv = array;
    argc = static_cast<int>(arguments.size() + 1);
  });
}

}  // namespace murvo
