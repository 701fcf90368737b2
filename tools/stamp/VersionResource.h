// The version resource that Windows reads for a file's properties: the
// numeric file and product version, and texts in one language (US English,
// UTF-16).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace murvo::stamp {

struct VersionResource {
  std::array<std::uint16_t, 4> version{};
  // (name, UTF-8 value), e.g. ("ProductName", "Shop"), in the order written.
  std::vector<std::pair<std::string, std::string>> strings;

  // The resource's bytes; throws StampError when they pass the 64 KB that
  // its length fields can count.
  std::string bytes() const;
};

}  // namespace murvo::stamp
