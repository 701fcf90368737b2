// A Windows x86-64 executable (PE32+) held in memory, as far as branding
// needs it: its resources, and a copy of it with other resources.
//
// The new resources replace the resource section where it lies. The
// sections after it move with its change of size, which only works for
// sections that nothing in the program refers to by address: the base
// relocations (found through their directory) and discardable debugging
// data, as the GNU linker lays them out. An executable laid out otherwise,
// signed, or not for x86-64 is refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ResourceTree.h"

namespace murvo::stamp {

struct PeSection {
  std::string name;
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t rawSize = 0;
  std::uint32_t rawPointer = 0;
  std::uint32_t characteristics = 0;
};

class PeImage {
 public:
  // Throws StampError naming `name` when `bytes` are not an executable that
  // can be branded.
  PeImage(std::string bytes, std::string name);

  const std::string& bytes() const { return image; }
  const std::vector<PeSection>& sections() const { return sectionList; }
  const PeSection& resourceSection() const { return sectionList[resourceIndex]; }
  std::uint16_t subsystem() const;
  std::uint32_t checkSum() const;
  // The checksum that Windows computes for the image's bytes.
  std::uint32_t computedCheckSum() const;

  ResourceTree resources() const;
  // The whole file with `tree` as its resources.
  std::string withResources(const ResourceTree& tree) const;

 private:
  std::string image;
  std::string name;
  std::size_t coffAt = 0;
  std::size_t optionalAt = 0;
  std::size_t sectionTableAt = 0;
  std::vector<PeSection> sectionList;
  std::size_t resourceIndex = 0;
};

}  // namespace murvo::stamp
