#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace murvo {

// An entry of a jar, found through the zip archive's central directory and
// inflated with zlib.
struct JarEntry {
  enum class Outcome { found, none, unreadable, corrupt };
  Outcome outcome = Outcome::none;
  std::string text;  // the entry's bytes when found
};

// Reads `length` bytes from `offset` of an archive (fewer at its end); nothing
// when the archive cannot be read.
using ArchiveBytes =
    std::function<std::optional<std::string>(std::uint64_t offset, std::size_t length)>;

// The entry `name` of an archive of `size` bytes read through `read`. The
// manifest (META-INF/MANIFEST.MF) is also found under its name in another
// letter case.
JarEntry readArchiveEntry(std::uint64_t size, const ArchiveBytes& read, std::string_view name);
// The entry `name` of the jar file at `path`.
JarEntry readJarEntry(const std::string& path, std::string_view name);

inline constexpr std::string_view manifestName = "META-INF/MANIFEST.MF";

// A jar that holds `manifest` alone, stored as it is.
std::string manifestOnlyJar(std::string_view manifest);

}  // namespace murvo
