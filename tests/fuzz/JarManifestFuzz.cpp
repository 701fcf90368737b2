// Reads arbitrary bytes as a jar (the zip archive's directory, the manifest's
// entry inflated by zlib) and as a manifest. The reader must never read out of
// bounds, and what it parses must keep the manifest's rules.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "runnable-jar/JarFile.h"
#include "runnable-jar/JarManifest.h"

namespace {

using murvo::fuzz::require;

// The value written as a manifest writes it: lines of at most 72 bytes, each
// continued by a line that begins with a space.
std::string written(std::string_view name, std::string_view value) {
  std::string line = std::string(name) + ": " + std::string(value);
  std::string text;
  for (std::size_t at = 0; at < line.size(); at += at == 0 ? 72 : 71) {
    if (at > 0) text += ' ';
    text += line.substr(at, at == 0 ? 72 : 71);
    text += "\r\n";
  }
  return text + "\r\n";
}

void checkManifest(std::string_view text) {
  const murvo::JarManifest manifest(text);
  require(manifest.attribute("main-class") == manifest.attribute("MAIN-CLASS"),
          "names compare without regard to letter case");
  if (const auto value = manifest.attribute("Class-Path")) {
    for (const std::string& word : murvo::attributeWords(*value)) {
      require(!word.empty() && word.find_first_of(" \t\r\n\f") == std::string::npos,
              "a word holds no separator");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const murvo::JarEntry entry = murvo::readArchiveEntry(
      bytes.size(),
      [&](std::uint64_t offset, std::size_t length) {
        return offset > bytes.size() ? std::string() : bytes.substr(offset, length);
      },
      murvo::manifestName);
  require(entry.outcome == murvo::JarEntry::Outcome::found || entry.text.empty(),
          "only a manifest found has a text");
  checkManifest(entry.text);
  checkManifest(bytes);
  // Any value without line ends or NUL comes back whole from its lines.
  std::string value;
  for (char c : bytes) {
    if (c != '\r' && c != '\n' && c != '\0') value += c;
  }
  if (!value.empty()) {
    const murvo::JarManifest manifest(written("Main-Class", value));
    require(manifest.attribute("Main-Class") == value, "a continued value comes back whole");
    require(manifest.valid(), "a manifest written in lines of 72 bytes is valid");
  }
  return 0;
}
