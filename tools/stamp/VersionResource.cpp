#include "VersionResource.h"

#include "ByteReader.h"
#include "Utf.h"

namespace murvo::stamp {

namespace {

constexpr std::uint32_t fixedInfoSignature = 0xFEEF04BD;
constexpr std::uint32_t fixedInfoVersion = 0x00010000;
constexpr std::uint32_t fileFlagsMask = 0x3F;
constexpr std::uint32_t osNtWindows32 = 0x00040004;
constexpr std::uint32_t fileTypeApplication = 1;
constexpr std::uint32_t usEnglish = 0x0409;
constexpr std::uint32_t unicodeCodePage = 1200;

enum NodeType : std::uint32_t { binaryNode = 0, textNode = 1 };

void align4(std::string& out) {
  out.append((4 - out.size() % 4) % 4, '\0');
}

std::string utf16Bytes(const std::u16string& text) {
  std::string out;
  for (char16_t unit : text) put16(out, unit);
  put16(out, 0);
  return out;
}

// One node: its length, the length of its value (in bytes, for text in
// characters with the terminator), its type and key, the value and the
// children, each part at a multiple of 4 from the resource's start.
template <typename Children>
void node(std::string& out, const std::u16string& key, NodeType type, const std::string& value,
          std::size_t valueLength, Children&& children) {
  align4(out);
  const std::size_t start = out.size();
  put16(out, 0);
  put16(out, static_cast<std::uint32_t>(valueLength));
  put16(out, type);
  out += utf16Bytes(key);
  align4(out);
  out += value;
  children();
  if (out.size() - start > 0xFFFF) throw StampError("the version information exceeds 64 KB");
  set16(out, start, static_cast<std::uint32_t>(out.size() - start));
}

void leaf(std::string& out, const std::u16string& key, NodeType type, const std::string& value,
          std::size_t valueLength) {
  node(out, key, type, value, valueLength, [] {});
}

}  // namespace

std::string VersionResource::bytes() const {
  std::string fixed;
  for (std::uint32_t field :
       {fixedInfoSignature, fixedInfoVersion, std::uint32_t{version[0]} << 16 | version[1],
        std::uint32_t{version[2]} << 16 | version[3]}) {
    put32(fixed, field);
  }
  fixed += fixed.substr(8, 8);  // the product version is the file version
  for (std::uint32_t field : {fileFlagsMask, 0u, osNtWindows32, fileTypeApplication, 0u, 0u, 0u})
    put32(fixed, field);

  std::string out;
  node(out, u"VS_VERSION_INFO", binaryNode, fixed, fixed.size(), [&] {
    node(out, u"StringFileInfo", textNode, "", 0, [&] {
      node(out, u"040904B0", textNode, "", 0, [&] {
        for (const auto& [name, value] : strings) {
          const std::u16string text = utf16FromUtf8(value, name);
          leaf(out, utf16FromUtf8(name, name), textNode, utf16Bytes(text), text.size() + 1);
        }
      });
    });
    node(out, u"VarFileInfo", textNode, "", 0, [&] {
      std::string translation;
      put16(translation, usEnglish);
      put16(translation, unicodeCodePage);
      leaf(out, u"Translation", binaryNode, translation, translation.size());
    });
  });
  return out;
}

}  // namespace murvo::stamp
