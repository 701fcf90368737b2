#include "startup-cache/CustomLoaderClasses.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace murvo {

namespace {

constexpr std::string_view sourceMark = " source: ";
constexpr std::string_view klassMark = " klass: ";

// What the log says of one class: its name (with slashes), where it came
// from, and the addresses of it, its super class and its interfaces.
struct LoadedClass {
  std::string name, source;
  std::string klass, super;
  std::vector<std::string> interfaces;
  bool byBuiltinLoader = false;
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

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> result;
  for (std::size_t start = text.find_first_not_of(' '); start != std::string_view::npos;) {
    const std::size_t end = text.find(' ', start);
    result.push_back(text.substr(start, end - start));
    start = end == std::string_view::npos ? end : text.find_first_not_of(' ', end);
  }
  return result;
}

// "<name> source: <source>" then " klass: <address> super: <address>
// [interfaces: <address>...] loader: [<loader>] bytes: ...", one pair per
// class in the order the JVM loaded them.
std::vector<LoadedClass> parseLog(std::string_view log) {
  std::vector<LoadedClass> classes;
  std::optional<LoadedClass> pending;
  for (std::string_view line : lines(log)) {
    if (line.starts_with(klassMark) && pending) {
      const std::size_t loaderAt = line.find(" loader: ");
      const std::vector<std::string_view> fields = words(line.substr(0, loaderAt));
      for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        if (fields[i] == "klass:") pending->klass = fields[i + 1];
        if (fields[i] == "super:") pending->super = fields[i + 1];
        if (fields[i] == "interfaces:") {
          for (std::size_t j = i + 1; j < fields.size(); ++j) {
            pending->interfaces.emplace_back(fields[j]);
          }
        }
      }
      const std::string_view loader =
          loaderAt == std::string_view::npos ? "" : line.substr(loaderAt);
      pending->byBuiltinLoader =
          loader.find("of 'bootstrap'") != std::string_view::npos ||
          loader.find("ClassLoaders$AppClassLoader'") != std::string_view::npos ||
          loader.find("ClassLoaders$PlatformClassLoader'") != std::string_view::npos;
      classes.push_back(std::move(*pending));
      pending.reset();
      continue;
    }
    pending.reset();
    const std::size_t sourceAt = line.find(sourceMark);
    if (sourceAt == std::string_view::npos || line.starts_with(' ')) continue;
    LoadedClass loaded;
    loaded.name = line.substr(0, sourceAt);
    for (char& c : loaded.name) {
      if (c == '.') c = '/';
    }
    loaded.source = line.substr(sourceAt + sourceMark.size());
    pending = std::move(loaded);
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
  return "-Xlog:class+load=debug:file=\"" + file + "\":none:filecount=0";
}

std::string withCustomLoaderClasses(std::string_view classList, std::string_view classLoadLog) {
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

  std::unordered_map<std::string, std::string> nameAt;  // by address
  std::string added;
  const auto idAt = [&](const std::string& address) -> std::optional<int> {
    const auto name = nameAt.find(address);
    if (name == nameAt.end()) return std::nullopt;
    const auto id = ids.find(name->second);
    return id == ids.end() ? std::nullopt : std::optional<int>(id->second);
  };
  for (const LoadedClass& loaded : parseLog(classLoadLog)) {
    nameAt[loaded.klass] = loaded.name;
    const std::optional<std::string> jar = jarPath(loaded.source);
    if (loaded.byBuiltinLoader || !jar || ids.contains(loaded.name)) continue;
    const std::optional<int> super = idAt(loaded.super);
    if (!super) continue;
    std::string interfaces;
    bool known = true;
    for (const std::string& address : loaded.interfaces) {
      const std::optional<int> id = idAt(address);
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
