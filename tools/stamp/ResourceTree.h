// The resources of an executable: each piece of data under its type, name
// and language, read from a resource section and written as one anew.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace murvo::stamp {

// A resource's type, name or language: a number, or a text.
struct ResourceName {
  std::uint16_t id = 0;
  std::u16string text;  // empty for a number
  // Texts come before numbers, as in the section's directories.
  auto operator<=>(const ResourceName& other) const {
    if (text.empty() != other.text.empty()) return text.empty() <=> other.text.empty();
    return text.empty() ? id <=> other.id : text.compare(other.text) <=> 0;
  }
  bool operator==(const ResourceName&) const = default;
};

struct ResourceKey {
  ResourceName type;
  ResourceName name;
  ResourceName language;
  auto operator<=>(const ResourceKey&) const = default;
};

struct ResourceData {
  std::string bytes;
  std::uint32_t codePage = 0;
  bool operator==(const ResourceData&) const = default;
};

// Resource types this tool writes.
enum ResourceType : std::uint16_t {
  iconType = 3,
  iconGroupType = 14,
  versionType = 16,
  manifestType = 24,
};

class ResourceTree {
 public:
  ResourceTree() = default;
  // `section` holds the section's bytes; `sectionRva` is where it is loaded,
  // since the data entries point by address. Throws StampError naming
  // `name` when the directories or data lie outside it.
  ResourceTree(std::string_view section, std::uint32_t sectionRva, const std::string& name);

  std::map<ResourceKey, ResourceData>& entries() { return entryMap; }
  const std::map<ResourceKey, ResourceData>& entries() const { return entryMap; }
  void removeType(std::uint16_t type);

  // The section's bytes for loading at `sectionRva`: the directories, the
  // names, the data entries, then the data, each piece of data at an offset
  // that is a multiple of 8.
  std::string sectionBytes(std::uint32_t sectionRva) const;

 private:
  std::map<ResourceKey, ResourceData> entryMap;
};

}  // namespace murvo::stamp
