#include "config/VersionOrder.h"

#include <optional>

namespace murvo {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The digit run starting at `at`, without its leading zeros; `at` moves past it.
std::string_view digitRun(std::string_view text, std::size_t& at) {
  while (at < text.size() && text[at] == '0' && at + 1 < text.size() && isDigit(text[at + 1])) {
    ++at;
  }
  const std::size_t start = at;
  while (at < text.size() && isDigit(text[at])) ++at;
  return text.substr(start, at - start);
}

// Orders two texts by digit runs and bytes.
int compareText(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (isDigit(a[i]) && isDigit(b[j])) {
      const std::string_view x = digitRun(a, i);
      const std::string_view y = digitRun(b, j);
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (const int order = x.compare(y); order != 0) return order < 0 ? -1 : 1;
      continue;
    }
    const auto x = static_cast<unsigned char>(a[i++]);
    const auto y = static_cast<unsigned char>(b[j++]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// A version's number, its pre-release ("ea" of "25-ea") and its build
// ("36" of "25+36" or "25-ea+36").
struct VersionParts {
  std::string_view number;
  std::optional<std::string_view> preRelease;
  std::string_view build;
};

VersionParts partsOf(std::string_view version) {
  VersionParts parts;
  const std::size_t plus = version.find('+');
  parts.build = plus == std::string_view::npos ? "" : version.substr(plus + 1);
  version = version.substr(0, plus);
  const std::size_t dash = version.find('-');
  parts.number = version.substr(0, dash);
  if (dash != std::string_view::npos) parts.preRelease = version.substr(dash + 1);
  return parts;
}

}  // namespace

int compareVersions(std::string_view a, std::string_view b) {
  const VersionParts x = partsOf(a), y = partsOf(b);
  if (const int order = compareText(x.number, y.number); order != 0) return order;
  // A pre-release comes before the release of its number.
  if (x.preRelease.has_value() != y.preRelease.has_value()) return x.preRelease ? -1 : 1;
  if (x.preRelease) {
    if (const int order = compareText(*x.preRelease, *y.preRelease); order != 0) return order;
  }
  return compareText(x.build, y.build);
}

}  // namespace murvo
