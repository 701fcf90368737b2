// Helpers shared by the unit tests: death-test regular expressions for the
// launcher's message, a temporary folder, and scoped replacements of an
// environment variable and of the registry.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "platform/MemoryRegistry.h"
#include "platform/PathText.h"

namespace murvo::test {

// The text with every '/' replaced by the platform's path separator.
inline std::string nativePath(std::string text) {
  std::replace(text.begin(), text.end(), '/', platform::pathSeparator);
  return text;
}

// Matches standard error that holds exactly `text` and at most one final line
// feed (POSIX extended syntax and GoogleTest's simple one alike).
inline std::string exactStderr(const std::string& text) {
  constexpr std::string_view special = "\\^$.|?*+()[]{}";
  std::string regex = "^";
  for (char c : text) {
    if (special.find(c) != std::string_view::npos) regex += '\\';
    regex += c;
  }
  return regex + "\n?$";
}

// The launcher's failure message: the generic text, one blank, the detail.
inline std::string launcherMessage(const std::string& detail) {
  return exactStderr("Error in Java launcher. " + detail);
}
inline std::string launcherMessage() {
  return exactStderr("Error in Java launcher.");
}

// An empty folder for the running test, removed with its contents at the end
// of the scope. Its name comes from the test's name (and `label`), so that a
// death-test child that runs the test again uses the same path.
class TempDir {
 public:
  explicit TempDir(const std::string& label = "") {
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("murvo-unit-") + test->test_suite_name() + "-" + test->name();
    if (!label.empty()) name += "-" + label;
    for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
    folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // The folder's path, without a trailing separator.
  std::string path() const { return folder.string(); }
  // The path of `name` (relative, written with '/') inside the folder.
  std::string file(const std::string& name) const {
    return path() + platform::pathSeparator + nativePath(name);
  }
  // Writes `text` byte for byte, making missing folders; gives the path.
  std::string write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(file(name)).parent_path());
    std::ofstream(file(name), std::ios::binary) << text;
    return file(name);
  }
  std::string makeDir(const std::string& name) const {
    std::filesystem::create_directories(file(name));
    return file(name);
  }

 private:
  std::filesystem::path folder;
};

// The start of a shared library built for this process (or, with `other`,
// for 32-bit x86), as much as telling them apart needs.
inline std::string libraryImage(bool other = false) {
#ifdef _WIN32
  std::string image(0x200, '\0');
  image.replace(0, 2, "MZ");
  image[0x3C] = 0x40;
  image.replace(0x40, 4, std::string("PE\0\0", 4));
  image[0x44] = other ? '\x4c' : '\x64';
  image[0x45] = other ? '\x01' : '\x86';
#else
  std::string image(64, '\0');
  image.replace(0, 4,
                "\x7f"
                "ELF");
  image[4] = other ? 1 : 2;  // 32 or 64 bits
  image[5] = 1;
  image[6] = 1;
  image[18] = other ? 3 : 62;  // EM_386, EM_X86_64
#endif
  return image;
}

// Sets an environment variable (removes it for no value) for one scope.
// Windows cannot hold an empty variable: there the empty text removes it.
class ScopedEnv {
 public:
  ScopedEnv(std::string name, const std::optional<std::string>& value) : name(std::move(name)) {
    if (const char* old = std::getenv(this->name.c_str())) previous = old;
    set(value);
  }
  ~ScopedEnv() { set(previous); }

 private:
  void set(const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv((name + "=" + value.value_or("")).c_str());
#else
    value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
#endif
  }
  std::string name;
  std::optional<std::string> previous;
};

// An in-memory registry (empty unless the test fills it) in place of the
// system's for one scope; `memory.openedKeys()` shows what the code opened.
struct RegistryReplacement {
  RegistryReplacement() { platform::useRegistry(&memory); }
  ~RegistryReplacement() { platform::useRegistry(nullptr); }
  platform::MemoryRegistry memory;
};

}  // namespace murvo::test
