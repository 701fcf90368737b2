#pragma once

#include <optional>
#include <string>
#include <vector>

namespace murvo {

// Where the JVM library lies inside a Java home. The path that the
// configuration builds comes first (the home, the runtime's or the
// development kit's piece, the JVM folder, the library's name); when that
// file does not exist, the first that exists of the layouts of today's Java
// and of Java 8 development kits, in the configured JVM folder or, when none
// is configured, in the platform's default folder, then "server" and "client".
class JvmLibraryLayout {
 public:
  // `configuredDir` empty: no JVM folder is configured.
  JvmLibraryLayout(bool developmentKit, std::string configuredDir);

  // The path that the configuration builds, whether or not it exists.
  std::string builtPath(const std::string& home) const;
  // The first JVM library of the layouts that exists.
  std::optional<std::string> find(const std::string& home) const;
  // The library found, else the built path (which then fails where it is loaded).
  std::string pathIn(const std::string& home) const;

 private:
  bool developmentKit;
  std::vector<std::string> dirs;  // the JVM folders to try, the built path's first
};

// The Java home that a JVM library belongs to: the folder above it, by one of
// the layouts, that holds a release file; nothing when there is none.
std::optional<std::string> homeOfJvmLibrary(const std::string& library);

}  // namespace murvo
