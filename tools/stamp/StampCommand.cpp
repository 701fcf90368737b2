#include "StampCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "IconFile.h"
#include "PeImage.h"
#include "StampError.h"
#include "VersionResource.h"

namespace murvo::stamp {

namespace fs = std::filesystem;

namespace {

const char* const usage =
    "usage: murvo-stamp [--icon FILE.ico] [--version A.B.C.D] [--product TEXT] "
    "[--company TEXT] [--description TEXT] [--copyright TEXT] SOURCE.exe TARGET.exe";

// Resource language of what is written: US English, as the launcher's own.
constexpr std::uint16_t usEnglish = 0x0409;

const std::pair<const char*, const char*> textOptions[] = {
    {"--product", "ProductName"},
    {"--company", "CompanyName"},
    {"--description", "FileDescription"},
    {"--copyright", "LegalCopyright"},
};

// Paths travel as UTF-8 text, on Windows as on POSIX.
fs::path pathOf(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

std::array<std::uint16_t, 4> parseVersion(const std::string& text) {
  std::array<std::uint16_t, 4> parts{};
  std::size_t at = 0;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::size_t end = std::min(text.find('.', at), text.size());
    const std::string part = text.substr(at, end - at);
    if (part.empty() || part.size() > 5 ||
        part.find_first_not_of("0123456789") != std::string::npos || std::stoul(part) > 0xFFFF ||
        (i == 3) != (end == text.size()))
      throw StampError("--version needs four numbers of at most 65535 (A.B.C.D), not '" + text +
                       "'");
    parts[i] = static_cast<std::uint16_t>(std::stoul(part));
    at = end + 1;
  }
  return parts;
}

std::string readFile(const std::string& name) {
  std::error_code error;
  if (!fs::exists(pathOf(name), error)) throw StampError("cannot read " + name + ": no such file");
  if (!fs::is_regular_file(pathOf(name), error)) throw StampError(name + " is not a file");
  std::ifstream in(pathOf(name), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (!in) throw StampError("cannot read " + name);
  return std::move(bytes).str();
}

// Writes `bytes` to a new file beside `name` and renames it to `name` once
// it is complete, so that a failure leaves no part of a file behind.
void writeFileWhole(const std::string& name, const std::string& bytes, fs::perms permissions) {
  const fs::path target = pathOf(name);
  const fs::path partial =
      target.parent_path() / (target.filename().u8string() + u8".partial-" +
                              fs::path(std::to_string(std::random_device{}())).u8string());
  std::error_code error;
  std::string reason;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) reason = std::strerror(errno);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out) {
      fs::permissions(partial, permissions, error);
      fs::rename(partial, target, error);
      if (!error) return;
      reason = error.message();
    } else if (reason.empty()) {
      reason = std::strerror(errno);
    }
  }
  fs::remove(partial, error);
  throw StampError("cannot write " + name + ": " + reason);
}

}  // namespace

StampOptions parseStampOptions(const std::vector<std::string>& args) {
  StampOptions options;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      files.push_back(arg);
      continue;
    }
    if (i + 1 == args.size()) throw StampError(arg + " needs a value; " + usage);
    const std::string& value = args[++i];
    if (arg == "--icon") {
      options.icon = value;
    } else if (arg == "--version") {
      options.version = parseVersion(value);
    } else {
      const auto* known = std::find_if(std::begin(textOptions), std::end(textOptions),
                                       [&](const auto& option) { return arg == option.first; });
      if (known == std::end(textOptions)) throw StampError("unknown option " + arg + "; " + usage);
      // A repeated option counts with its last value, as --icon and --version do.
      std::erase_if(options.strings, [&](const auto& text) { return text.first == known->second; });
      options.strings.emplace_back(known->second, value);
    }
  }
  if (files.size() != 2) throw StampError(usage);
  options.source = files[0];
  options.target = files[1];
  return options;
}

void writeBrandedCopy(const StampOptions& options) {
  const PeImage source(readFile(options.source), options.source);
  ResourceTree tree = source.resources();
  const auto key = [](std::uint16_t type, std::uint16_t id) {
    return ResourceKey{{type, {}}, {id, {}}, {usEnglish, {}}};
  };

  if (options.icon) {
    const IconFile icon(readFile(*options.icon), *options.icon);
    tree.removeType(iconType);
    tree.removeType(iconGroupType);
    for (std::size_t i = 0; i < icon.images().size(); ++i)
      tree.entries()[key(iconType, static_cast<std::uint16_t>(i + 1))] = {icon.images()[i].data};
    tree.entries()[key(iconGroupType, 1)] = {icon.groupResource(1)};
  }

  // The texts in the order of their names, as resource compilers write them.
  std::map<std::string, std::string> texts(options.strings.begin(), options.strings.end());
  const std::u8string fileName = pathOf(options.target).filename().u8string();
  texts["OriginalFilename"] = texts["InternalName"] = std::string(fileName.begin(), fileName.end());
  VersionResource version;
  if (options.version) {
    version.version = *options.version;
    std::string number;
    for (std::uint16_t part : version.version)
      number += (number.empty() ? "" : ".") + std::to_string(part);
    texts["FileVersion"] = texts["ProductVersion"] = number;
  }
  version.strings.assign(texts.begin(), texts.end());
  tree.removeType(versionType);
  tree.entries()[key(versionType, 1)] = {version.bytes()};

  writeFileWhole(options.target, source.withResources(tree),
                 fs::status(pathOf(options.source)).permissions());
}

int stampMain(const std::vector<std::string>& args, std::string& message) {
  try {
    writeBrandedCopy(parseStampOptions(args));
    return 0;
  } catch (const StampError& error) {
    message = error.what();
  } catch (const std::exception& error) {
    message = std::string("failed: ") + error.what();
  }
  return 1;
}

}  // namespace murvo::stamp
