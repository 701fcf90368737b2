#include "runnable-jar/JarManifest.h"

namespace murvo {

namespace {

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The next line of `text` from `at`, without its end; `at` moves past the end.
std::string_view nextLine(std::string_view text, std::size_t& at) {
  const std::size_t start = at;
  const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
  at = end;
  if (at < text.size() && text[at] == '\r') ++at;
  if (at < text.size() && text[at] == '\n') ++at;
  return text.substr(start, end - start);
}

}  // namespace

JarManifest::JarManifest(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::string_view line = nextLine(text, at);
    if (line.empty()) break;  // the end of the main section
    if (line.front() == ' ') {
      if (!attributes.empty()) attributes.back().second.append(line.substr(1));
      continue;
    }
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos || colon == 0) {
      attributes.emplace_back();  // a malformed line: what continues it belongs to nothing
      continue;
    }
    attributes.emplace_back(std::string(line.substr(0, colon)),
                            std::string(line.substr(colon + 2)));
  }
}

std::optional<std::string> JarManifest::attribute(std::string_view name) const {
  for (const auto& [attributeName, value] : attributes) {
    if (!attributeName.empty() && sameName(attributeName, name)) return value;
  }
  return std::nullopt;
}

std::vector<std::string> attributeWords(std::string_view value) {
  std::vector<std::string> words;
  constexpr std::string_view blanks = " \t\r\n\f";
  for (std::size_t start = value.find_first_not_of(blanks); start != std::string_view::npos;) {
    const std::size_t end = std::min(value.find_first_of(blanks, start), value.size());
    words.emplace_back(value.substr(start, end - start));
    start = value.find_first_not_of(blanks, end);
  }
  return words;
}

}  // namespace murvo
