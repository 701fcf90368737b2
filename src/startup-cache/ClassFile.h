// What a class file says of its class's place in the hierarchy, read from
// its constant pool.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murvo {

struct ClassHierarchy {
  std::string name;  // with slashes, as class lists write it
  std::string super;
  std::vector<std::string> interfaces;
};

// Nothing for bytes that are no well-formed class file, and for the one class
// without a super class.
std::optional<ClassHierarchy> classHierarchy(std::string_view classFile);

}  // namespace murvo
