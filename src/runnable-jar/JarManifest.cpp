#include "runnable-jar/JarManifest.h"

#include <algorithm>

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

// A header's name: letters, digits, '-' and '_', at most 70 bytes.
bool isHeaderName(std::string_view name) {
  constexpr std::size_t longestName = 70;
  if (name.empty() || name.size() > longestName) return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
  });
}

}  // namespace

JarManifest::JarManifest(std::string_view text) {
  // Every section is checked; only the main section's attributes are kept.
  bool mainSection = true;
  bool sectionHasHeader = false;
  for (std::size_t at = 0; at < text.size();) {
    std::string_view line = nextLine(text, at);
    if (line.size() >= lineLimit) wellFormed = false;
    if (line.empty()) {
      mainSection = false;
      sectionHasHeader = false;
      continue;
    }
    if (line.front() == ' ') {
      if (!sectionHasHeader) wellFormed = false;
      if (mainSection && !attributes.empty()) attributes.back().second.append(line.substr(1));
      continue;
    }
    const std::size_t colon = line.find(": ");
    if (colon == std::string_view::npos || !isHeaderName(line.substr(0, colon))) {
      wellFormed = false;
      if (mainSection) attributes.emplace_back();  // what continues it belongs to nothing
      continue;
    }
    sectionHasHeader = true;
    if (mainSection) {
      attributes.emplace_back(std::string(line.substr(0, colon)),
                              std::string(line.substr(colon + 2)));
    }
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
