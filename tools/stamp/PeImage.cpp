#include "PeImage.h"

#include <algorithm>

#include "ByteReader.h"

namespace murvo::stamp {

namespace {

constexpr std::uint16_t machineAmd64 = 0x8664;
constexpr std::uint16_t pe32Plus = 0x20B;
constexpr std::uint16_t executableImage = 0x0002;
constexpr std::uint16_t dynamicLibrary = 0x2000;
constexpr std::uint32_t discardable = 0x02000000;
constexpr std::size_t sectionHeaderSize = 40;

// Fields of the PE32+ optional header, by offset.
constexpr std::size_t fileAlignmentAt = 36;
constexpr std::size_t sectionAlignmentAt = 32;
constexpr std::size_t sizeOfInitializedDataAt = 8;
constexpr std::size_t sizeOfImageAt = 56;
constexpr std::size_t checkSumAt = 64;
constexpr std::size_t subsystemAt = 68;
constexpr std::size_t directoryCountAt = 108;
constexpr std::size_t directoriesAt = 112;
// Data directories, by index.
constexpr std::size_t resourceDirectory = 2;
constexpr std::size_t securityDirectory = 4;
constexpr std::size_t relocationDirectory = 5;

}  // namespace

PeImage::PeImage(std::string bytes, std::string fileName)
    : image(std::move(bytes)), name(std::move(fileName)) {
  const auto refuse = [&](const std::string& why) { throw StampError(name + " " + why); };
  const ByteReader in(image, name + " is truncated");
  if (!image.starts_with("MZ")) refuse("is not a PE executable");
  coffAt = std::size_t{in.u32(0x3C)} + 4;
  if (in.slice(coffAt - 4, 4) != std::string_view("PE\0\0", 4)) refuse("is not a PE executable");
  if (in.u16(coffAt) != machineAmd64) refuse("is not an x86-64 Windows executable");
  const std::uint16_t characteristics = in.u16(coffAt + 18);
  if (!(characteristics & executableImage) || (characteristics & dynamicLibrary))
    refuse("is not an executable program");
  optionalAt = coffAt + 20;
  const std::uint16_t optionalSize = in.u16(coffAt + 16);
  in.slice(optionalAt, optionalSize);
  if (in.u16(optionalAt) != pe32Plus) refuse("is not an x86-64 Windows executable");
  const std::uint32_t directoryCount = in.u32(optionalAt + directoryCountAt);
  if (directoryCount <= relocationDirectory || directoryCount > 16 ||
      directoriesAt + 8 * directoryCount > optionalSize)
    refuse("has no resource directory");
  const auto directory = [&](std::size_t index) {
    return std::pair{in.u32(optionalAt + directoriesAt + 8 * index),
                     in.u32(optionalAt + directoriesAt + 8 * index + 4)};
  };
  const std::uint32_t fileAlignment = in.u32(optionalAt + fileAlignmentAt);
  const std::uint32_t sectionAlignment = in.u32(optionalAt + sectionAlignmentAt);
  const auto powerOfTwo = [](std::uint32_t value) { return value && !(value & (value - 1)); };
  if (!powerOfTwo(fileAlignment) || !powerOfTwo(sectionAlignment) || sectionAlignment > 1 << 24)
    refuse("is not a PE executable");

  sectionTableAt = optionalAt + optionalSize;
  const std::uint16_t sectionCount = in.u16(coffAt + 2);
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = sectionTableAt + i * sectionHeaderSize;
    const std::string_view rawName = in.slice(at, 8);
    PeSection section{std::string(rawName.substr(0, rawName.find('\0'))),
                      in.u32(at + 8),
                      in.u32(at + 12),
                      in.u32(at + 16),
                      in.u32(at + 20),
                      in.u32(at + 36)};
    if (section.rawSize) in.slice(section.rawPointer, section.rawSize);
    sectionList.push_back(std::move(section));
  }

  if (directory(securityDirectory).second)
    refuse("is signed: brand the unsigned executable, then sign the copy");
  const std::uint32_t resourceRva = directory(resourceDirectory).first;
  const auto resource = std::find_if(
      sectionList.begin(), sectionList.end(),
      [&](const PeSection& s) { return s.virtualAddress == resourceRva && s.rawSize > 0; });
  if (resourceRva == 0 || resource == sectionList.end()) refuse("has no resource section");
  resourceIndex = resource - sectionList.begin();
  if (resource->rawPointer % fileAlignment || resource->rawSize % fileAlignment)
    refuse("has an unaligned resource section");

  // The headers change and the resources are replaced: no other section's
  // data may lie in them, nor in the file after the resources unless it
  // follows them in the table too (and so moves with them).
  const std::uint64_t headersEnd = sectionTableAt + sectionHeaderSize * sectionCount;
  for (std::size_t i = 0; i < sectionList.size(); ++i) {
    const PeSection& other = sectionList[i];
    if (i == resourceIndex || other.rawSize == 0) continue;
    if (other.rawPointer < headersEnd ||
        (i < resourceIndex &&
         std::uint64_t{other.rawPointer} + other.rawSize > resource->rawPointer))
      refuse("has sections that overlap its headers or resources");
  }

  // What follows the resources must be free to move.
  const std::uint32_t resourceEnd =
      resourceRva + alignUp(std::max(resource->virtualSize, resource->rawSize), sectionAlignment);
  const std::uint64_t resourceFileEnd = std::uint64_t{resource->rawPointer} + resource->rawSize;
  const auto [relocationRva, relocationSize] = directory(relocationDirectory);
  std::uint32_t previousAddress = resourceRva;
  for (std::size_t i = resourceIndex + 1; i < sectionList.size(); ++i) {
    const PeSection& later = sectionList[i];
    const bool holdsRelocations =
        relocationSize && relocationRva >= later.virtualAddress &&
        relocationRva - later.virtualAddress < std::max(later.virtualSize, later.rawSize);
    if ((!(later.characteristics & discardable) && !holdsRelocations) ||
        later.virtualAddress < std::max(previousAddress, resourceEnd) ||
        (later.rawSize && later.rawPointer < resourceFileEnd))
      refuse("has sections after its resources that cannot move");
    previousAddress = later.virtualAddress;
  }
  for (std::size_t index = 0; index < directoryCount; ++index) {
    const auto [rva, size] = directory(index);
    if (index != resourceDirectory && index != relocationDirectory && size &&
        std::uint64_t{rva} + size > resourceRva)
      refuse("has sections after its resources that cannot move");
  }
  // Base relocations patch addresses in place: none may fall into the
  // resources or what moves after them.
  if (relocationSize) {
    const PeSection* holder = nullptr;
    for (const PeSection& section : sectionList) {
      if (relocationRva >= section.virtualAddress &&
          relocationRva - section.virtualAddress < section.rawSize)
        holder = &section;
    }
    if (!holder) refuse("is truncated");
    const ByteReader blocks(
        in.slice(holder->rawPointer + (relocationRva - holder->virtualAddress), relocationSize),
        name + " is truncated");
    for (std::size_t at = 0; at + 8 <= relocationSize;) {
      const std::uint32_t blockSize = blocks.u32(at + 4);
      if (blocks.u32(at) >= resourceRva) refuse("relocates addresses in its resources");
      if (blockSize < 8) break;
      at += blockSize;
    }
  }
  if (in.u32(coffAt + 8) && in.u32(coffAt + 8) < resourceFileEnd &&
      in.u32(coffAt + 8) >= resource->rawPointer)
    refuse("has its symbol table inside its resources");
}

std::uint16_t PeImage::subsystem() const {
  return ByteReader(image, "").u16(optionalAt + subsystemAt);
}

std::uint32_t PeImage::checkSum() const {
  return ByteReader(image, "").u32(optionalAt + checkSumAt);
}

std::uint32_t PeImage::computedCheckSum() const {
  // 16-bit words added with their carries folded back, the checksum field
  // left out, plus the file's length.
  std::string words = image;
  set32(words, optionalAt + checkSumAt, 0);
  if (words.size() % 2) words += '\0';
  const ByteReader in(words, "");
  std::uint64_t sum = 0;
  for (std::size_t at = 0; at < words.size(); at += 2) {
    sum += in.u16(at);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + image.size());
}

ResourceTree PeImage::resources() const {
  const PeSection& section = resourceSection();
  // The raw data may be padded beyond the resources' own size.
  const std::uint32_t size = section.virtualSize && section.virtualSize < section.rawSize
                                 ? section.virtualSize
                                 : section.rawSize;
  return ResourceTree(std::string_view(image).substr(section.rawPointer, size),
                      section.virtualAddress, name);
}

std::string PeImage::withResources(const ResourceTree& tree) const {
  const ByteReader in(image, name + " is truncated");
  const std::uint32_t fileAlignment = in.u32(optionalAt + fileAlignmentAt);
  const std::uint32_t sectionAlignment = in.u32(optionalAt + sectionAlignmentAt);
  const PeSection& old = resourceSection();
  const std::string section = tree.sectionBytes(old.virtualAddress);
  if (section.size() > 0x10000000) throw StampError("the resources exceed 256 MB");
  const auto newSize = static_cast<std::uint32_t>(section.size());
  const std::uint32_t newRawSize = alignUp(newSize, fileAlignment);
  // Both shifts keep the alignments, being multiples of them.
  const std::int64_t fileShift = std::int64_t{newRawSize} - old.rawSize;
  const std::int64_t addressShift =
      std::int64_t{alignUp(newSize, sectionAlignment)} -
      alignUp(std::max(old.virtualSize, old.rawSize), sectionAlignment);

  std::string out = image.substr(0, old.rawPointer);
  out += section;
  out.append(newRawSize - newSize, '\0');
  out += image.substr(old.rawPointer + old.rawSize);

  const auto shift32 = [&](std::size_t at, std::int64_t by) {
    set32(out, at, static_cast<std::uint32_t>(in.u32(at) + by));
  };
  const std::size_t resourceHeader = sectionTableAt + resourceIndex * sectionHeaderSize;
  set32(out, resourceHeader + 8, newSize);
  set32(out, resourceHeader + 16, newRawSize);
  for (std::size_t i = resourceIndex + 1; i < sectionList.size(); ++i) {
    const std::size_t header = sectionTableAt + i * sectionHeaderSize;
    shift32(header + 12, addressShift);
    if (sectionList[i].rawSize) shift32(header + 20, fileShift);
  }
  set32(out, optionalAt + directoriesAt + 8 * resourceDirectory + 4, newSize);
  const std::size_t relocationAt = optionalAt + directoriesAt + 8 * relocationDirectory;
  if (in.u32(relocationAt + 4) && in.u32(relocationAt) > old.virtualAddress)
    shift32(relocationAt, addressShift);
  shift32(optionalAt + sizeOfImageAt, addressShift);
  shift32(optionalAt + sizeOfInitializedDataAt, fileShift);
  if (in.u32(coffAt + 8) >= old.rawPointer + old.rawSize) shift32(coffAt + 8, fileShift);

  PeImage copy(out, name);
  if (checkSum()) set32(copy.image, optionalAt + checkSumAt, copy.computedCheckSum());
  return std::move(copy.image);
}

}  // namespace murvo::stamp
