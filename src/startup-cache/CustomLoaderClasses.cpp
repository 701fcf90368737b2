#include "startup-cache/CustomLoaderClasses.h"

#include <optional>
#include <unordered_map>
#include <vector>

#include "startup-cache/ClassFile.h"

namespace murvo {

namespace {

constexpr std::string_view sourceMark = " source: ";

// What the log says of one class: its name (with slashes) and where it came
// from.
struct LoadedClass {
  std::string name, source;
};

std::vector<std::string_view> lines(std::string_view text) {
  std::vector<std::string_view> result;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

// "<name> source: <source>", one line per class in the order the JVM loaded
// them.
std::vector<LoadedClass> parseLog(std::string_view log) {
  std::vector<LoadedClass> classes;
  for (std::string_view line : lines(log)) {
    const std::size_t sourceAt = line.find(sourceMark);
    if (sourceAt == std::string_view::npos || line.starts_with(' ')) continue;
    LoadedClass loaded{std::string(line.substr(0, sourceAt)),
                       std::string(line.substr(sourceAt + sourceMark.size()))};
    for (char& c : loaded.name) {
      if (c == '.') c = '/';
    }
    classes.push_back(std::move(loaded));
  }
  return classes;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The path of a jar named by a file URL ("file:/a%20b/c.jar", on Windows
// "file:/C:/a/c.jar"); nothing for any other source.
std::optional<std::string> jarPath(std::string_view source) {
  constexpr std::string_view scheme = "file:";
  if (!source.starts_with(scheme) || !source.ends_with(".jar")) return std::nullopt;
  std::string path;
  for (std::size_t i = scheme.size(); i < source.size(); ++i) {
    if (source[i] != '%') {
      path += source[i];
      continue;
    }
    if (i + 2 >= source.size() || hexValue(source[i + 1]) < 0 || hexValue(source[i + 2]) < 0) {
      return std::nullopt;
    }
    path += static_cast<char>(hexValue(source[i + 1]) * 16 + hexValue(source[i + 2]));
    i += 2;
  }
  if (path.size() > 2 && path[0] == '/' && path[2] == ':') path.erase(0, 1);
  // A class list line ends at a blank.
  if (path.empty() || path.find_first_of(" \t\r\n") != std::string::npos) return std::nullopt;
  return path;
}

}  // namespace

std::string classLoadLogOption(const std::string& file) {
  // No decorations, and no rotation: the file is the one the launcher made.
  return "-Xlog:class+load:file=\"" + file + "\":none:filecount=0";
}

std::string withCustomLoaderClasses(std::string_view classList, std::string_view classLoadLog,
                                    const JarEntryBytes& jarEntry) {
  std::unordered_map<std::string, int> ids;
  std::string list;
  for (std::string_view line : lines(classList)) {
    list.append(line);
    if (!line.empty() && !line.starts_with('#') && !line.starts_with('@')) {
      // A list with ids is the JVM's own with these classes in it.
      if (line.find(' ') != std::string_view::npos) return std::string(classList);
      const int id = static_cast<int>(ids.size());
      if (ids.emplace(std::string(line), id).second) list += " id: " + std::to_string(id);
    }
    list += '\n';
  }

  std::string added;
  const auto idOf = [&](const std::string& name) -> std::optional<int> {
    const auto id = ids.find(name);
    return id == ids.end() ? std::nullopt : std::optional<int>(id->second);
  };
  for (const LoadedClass& loaded : parseLog(classLoadLog)) {
    // The builtin loaders' classes are those of the list.
    const std::optional<std::string> jar = jarPath(loaded.source);
    if (!jar || ids.contains(loaded.name)) continue;
    const std::optional<std::string> bytes = jarEntry(*jar, loaded.name + ".class");
    const std::optional<ClassHierarchy> hierarchy = bytes ? classHierarchy(*bytes) : std::nullopt;
    if (!hierarchy || hierarchy->name != loaded.name) continue;
    const std::optional<int> super = idOf(hierarchy->super);
    if (!super) continue;
    std::string interfaces;
    bool known = true;
    for (const std::string& name : hierarchy->interfaces) {
      const std::optional<int> id = idOf(name);
      known = known && id;
      if (id) interfaces += " " + std::to_string(*id);
    }
    if (!known) continue;
    const int id = static_cast<int>(ids.size());
    ids.emplace(loaded.name, id);
    added += loaded.name + " id: " + std::to_string(id) + " super: " + std::to_string(*super) +
             (interfaces.empty() ? "" : " interfaces:" + interfaces) + " source: " + *jar + "\n";
  }
  return added.empty() ? std::string(classList) : list + added;
}

}  // namespace murvo
