#include "ResourceTree.h"

#include <vector>

#include "ByteReader.h"

namespace murvo::stamp {

namespace {

constexpr std::uint32_t subdirectoryBit = 0x80000000;
constexpr std::uint32_t namedBit = 0x80000000;
constexpr std::size_t tableHeaderSize = 16;
constexpr std::size_t tableEntrySize = 8;
constexpr std::size_t dataEntrySize = 16;

std::size_t tableSize(std::size_t entries) {
  return tableHeaderSize + tableEntrySize * entries;
}

class SectionReader {
 public:
  SectionReader(std::string_view section, std::uint32_t rva, const std::string& name,
                std::map<ResourceKey, ResourceData>& out)
      : damagedText(name + " has damaged resources"),
        in(section, damagedText),
        rva(rva),
        out(out),
        // Each entry takes 8 bytes of its own: more visits than the
        // section can hold entries means directories that share entries.
        visitsLeft(section.size() / tableEntrySize) {}

  void readTable(std::uint32_t at, int level, ResourceKey& key) {
    const std::size_t count = std::size_t{in.u16(at + 12)} + in.u16(at + 14);
    for (std::size_t i = 0; i < count; ++i) {
      if (visitsLeft-- == 0) damaged();
      const std::size_t entryAt = at + tableSize(i);
      const std::uint32_t nameField = in.u32(entryAt);
      const std::uint32_t target = in.u32(entryAt + 4);
      ResourceName& part = level == 0 ? key.type : level == 1 ? key.name : key.language;
      part = nameField & namedBit ? ResourceName{0, readName(nameField & ~namedBit)}
                                  : ResourceName{idOf(nameField), {}};
      if (level < 2) {
        if (!(target & subdirectoryBit)) damaged();
        readTable(target & ~subdirectoryBit, level + 1, key);
      } else {
        if (target & subdirectoryBit) damaged();
        const std::uint32_t dataRva = in.u32(target);
        if (dataRva < rva) damaged();
        out.emplace(key, ResourceData{std::string(in.slice(dataRva - rva, in.u32(target + 4))),
                                      in.u32(target + 8)});
      }
    }
  }

 private:
  [[noreturn]] void damaged() const { throw StampError(damagedText); }

  std::u16string readName(std::uint32_t at) const {
    const std::string_view units = in.slice(at + 2, std::size_t{in.u16(at)} * 2);
    std::u16string text;
    for (std::size_t k = 0; k < units.size(); k += 2)
      text += static_cast<char16_t>(in.u16(at + 2 + k));
    if (text.empty()) damaged();
    return text;
  }
  std::uint16_t idOf(std::uint32_t field) const {
    if (field > 0xFFFF) damaged();
    return static_cast<std::uint16_t>(field);
  }

  std::string damagedText;
  ByteReader in;
  std::uint32_t rva;
  std::map<ResourceKey, ResourceData>& out;
  std::size_t visitsLeft;
};

}  // namespace

ResourceTree::ResourceTree(std::string_view section, std::uint32_t sectionRva,
                           const std::string& name) {
  ResourceKey key;
  SectionReader(section, sectionRva, name, entryMap).readTable(0, 0, key);
}

void ResourceTree::removeType(std::uint16_t type) {
  std::erase_if(entryMap, [&](const auto& entry) {
    return entry.first.type == ResourceName{type, {}};
  });
}

std::string ResourceTree::sectionBytes(std::uint32_t sectionRva) const {
  // The three levels of directories, each a table of (part, what it leads to).
  using Languages = std::map<ResourceName, std::size_t>;  // index into entryMap order
  using Names = std::map<ResourceName, Languages>;
  std::map<ResourceName, Names> types;
  std::vector<const ResourceData*> data;
  for (const auto& [key, value] : entryMap) {
    types[key.type][key.name][key.language] = data.size();
    data.push_back(&value);
  }

  // Where each piece lies: tables level by level, then the names, then the
  // data entries, then the data.
  std::size_t end = tableSize(types.size());
  std::map<const void*, std::size_t> tableAt;
  for (const auto& [type, names] : types) {
    tableAt[&names] = end;
    end += tableSize(names.size());
  }
  for (const auto& [type, names] : types) {
    for (const auto& [name, languages] : names) {
      tableAt[&languages] = end;
      end += tableSize(languages.size());
    }
  }
  std::map<std::u16string, std::size_t> nameAt;
  const auto placeName = [&](const ResourceName& part) {
    if (!part.text.empty() && nameAt.emplace(part.text, end).second)
      end += 2 + 2 * part.text.size();
  };
  for (const auto& [key, value] : entryMap) {
    placeName(key.type);
    placeName(key.name);
    placeName(key.language);
  }
  const std::size_t dataEntriesAt = end = alignUp(end, 4);
  end += dataEntrySize * data.size();
  std::vector<std::size_t> dataAt;
  for (const ResourceData* piece : data) {
    end = alignUp(end, 8);
    dataAt.push_back(end);
    end += piece->bytes.size();
  }

  std::string out(end, '\0');
  const auto writeTable = [&](std::size_t at, const auto& entries, const auto& targetOf) {
    std::size_t named = 0;
    for (const auto& entry : entries) named += !entry.first.text.empty();
    set16(out, at + 12, static_cast<std::uint32_t>(named));
    set16(out, at + 14, static_cast<std::uint32_t>(entries.size() - named));
    std::size_t entryAt = at + tableHeaderSize;
    for (const auto& [part, next] : entries) {
      set32(out, entryAt,
            part.text.empty() ? part.id : namedBit | static_cast<std::uint32_t>(nameAt[part.text]));
      set32(out, entryAt + 4, static_cast<std::uint32_t>(targetOf(next)));
      entryAt += tableEntrySize;
    }
  };
  const auto tableOf = [&](const auto& next) { return subdirectoryBit | tableAt[&next]; };
  writeTable(0, types, tableOf);
  for (const auto& [type, names] : types) {
    writeTable(tableAt[&names], names, tableOf);
    for (const auto& [name, languages] : names) {
      writeTable(tableAt[&languages], languages,
                 [&](std::size_t index) { return dataEntriesAt + dataEntrySize * index; });
    }
  }
  for (const auto& [text, at] : nameAt) {
    set16(out, at, static_cast<std::uint32_t>(text.size()));
    for (std::size_t k = 0; k < text.size(); ++k) set16(out, at + 2 + 2 * k, text[k]);
  }
  for (std::size_t index = 0; index < data.size(); ++index) {
    const std::size_t entryAt = dataEntriesAt + dataEntrySize * index;
    set32(out, entryAt, static_cast<std::uint32_t>(sectionRva + dataAt[index]));
    set32(out, entryAt + 4, static_cast<std::uint32_t>(data[index]->bytes.size()));
    set32(out, entryAt + 8, data[index]->codePage);
    out.replace(dataAt[index], data[index]->bytes.size(), data[index]->bytes);
  }
  return out;
}

}  // namespace murvo::stamp
