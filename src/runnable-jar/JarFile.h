#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace murvo {

// The manifest entry of a jar (META-INF/MANIFEST.MF), found through the zip
// archive's central directory and inflated with zlib.
struct ManifestEntry {
  enum class Outcome { found, none, unreadable, corrupt };
  Outcome outcome = Outcome::none;
  std::string text;  // the manifest's bytes when found
};

// Reads `length` bytes from `offset` of an archive (fewer at its end); nothing
// when the archive cannot be read.
using ArchiveBytes =
    std::function<std::optional<std::string>(std::uint64_t offset, std::size_t length)>;

// The manifest of an archive of `size` bytes read through `read`.
ManifestEntry readManifestEntry(std::uint64_t size, const ArchiveBytes& read);
// The manifest of the jar file at `path`.
ManifestEntry readJarManifest(const std::string& path);

}  // namespace murvo
