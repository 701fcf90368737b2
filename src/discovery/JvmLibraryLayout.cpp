#include "discovery/JvmLibraryLayout.h"

#include <algorithm>
#include <cstring>

#include "platform/FileAccess.h"
#include "platform/PathText.h"

namespace murvo {

using platform::jvmLibraryName;
using platform::pathSeparator;

JvmLibraryLayout::JvmLibraryLayout(bool developmentKit, std::string configuredDir)
    : developmentKit(developmentKit) {
  if (!configuredDir.empty()) {
    dirs.push_back(std::move(configuredDir));
    return;
  }
  for (const char* dir : {platform::defaultJvmDir, "server", "client"}) {
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.emplace_back(dir);
  }
}

std::string JvmLibraryLayout::builtPath(const std::string& home) const {
  const char* piece = developmentKit ? platform::developmentKitJvmPiece : platform::runtimeJvmPiece;
  return home + piece + dirs.front() + jvmLibraryName;
}

std::optional<std::string> JvmLibraryLayout::find(const std::string& home) const {
  if (std::string built = builtPath(home); platform::isRegularFile(built)) return built;
  for (const std::string& dir : dirs) {
    for (const char* piece : platform::jvmFolderPieces) {
      std::string path = home + piece + dir + jvmLibraryName;
      if (platform::isRegularFile(path)) return path;
    }
  }
  return std::nullopt;
}

std::string JvmLibraryLayout::pathIn(const std::string& home) const {
  return find(home).value_or(builtPath(home));
}

std::optional<std::string> homeOfJvmLibrary(const std::string& library) {
  if (!library.ends_with(jvmLibraryName)) return std::nullopt;
  // The folder that holds the JVM folder: <home> followed by a piece.
  const std::string jvmFolder = library.substr(0, library.size() - std::strlen(jvmLibraryName));
  const std::size_t cut = jvmFolder.rfind(pathSeparator);
  if (cut == std::string::npos) return std::nullopt;
  const std::string above = jvmFolder.substr(0, cut + 1);
  for (const std::string_view piece : platform::jvmFolderPieces) {
    if (!above.ends_with(piece)) continue;
    std::string home = above.substr(0, above.size() - piece.size());
    if (platform::isRegularFile(home + pathSeparator + "release")) return home;
  }
  return std::nullopt;
}

}  // namespace murvo
