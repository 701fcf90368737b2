#include "runnable-jar/JarFile.h"

#include <zlib.h>

#include <algorithm>
#include <string_view>

#include "platform/FileAccess.h"

namespace murvo {

namespace {

using Outcome = JarEntry::Outcome;

constexpr std::uint32_t endOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t zip64EndSignature = 0x06064b50;
constexpr std::uint32_t zip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t directoryEntrySignature = 0x02014b50;
constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr std::size_t endOfDirectorySize = 22;
constexpr std::size_t directoryEntrySize = 46;
constexpr std::size_t localHeaderSize = 30;
constexpr std::size_t longestComment = 0xffff;
// A manifest or a splash image is a few kilobytes; more than this is none
// that a JVM would read.
constexpr std::uint64_t largestEntry = 64 << 20;
// Nor is a central directory larger than this one of a jar.
constexpr std::uint64_t largestDirectory = 512 << 20;

// Little-endian numbers at `at` of `bytes`; 0 past its end.
std::uint64_t number(std::string_view bytes, std::size_t at, int width) {
  std::uint64_t value = 0;
  if (at > bytes.size() || bytes.size() - at < static_cast<std::size_t>(width)) return 0;
  for (int i = width - 1; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
    return upper(x) == upper(y);
  });
}

struct Directory {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// Where the central directory lies, from the end record (or its Zip64 twin).
std::optional<Directory> findDirectory(std::uint64_t size, const ArchiveBytes& read) {
  if (size < endOfDirectorySize) return std::nullopt;
  const std::uint64_t tailSize = std::min<std::uint64_t>(size, endOfDirectorySize + longestComment);
  const std::optional<std::string> tail = read(size - tailSize, tailSize);
  if (!tail || tail->size() != tailSize) return std::nullopt;
  for (std::size_t at = tail->size() - endOfDirectorySize + 1; at-- > 0;) {
    if (number(*tail, at, 4) != endOfDirectorySignature) continue;
    Directory directory{number(*tail, at + 16, 4), number(*tail, at + 12, 4)};
    if (directory.offset == 0xffffffff || directory.size == 0xffffffff) {
      // The Zip64 locator lies just before the end record.
      const std::uint64_t recordEnd = size - tailSize + at;
      if (recordEnd < 20) return std::nullopt;
      const std::optional<std::string> locator = read(recordEnd - 20, 20);
      if (!locator || number(*locator, 0, 4) != zip64LocatorSignature) return std::nullopt;
      const std::optional<std::string> record = read(number(*locator, 8, 8), 56);
      if (!record || number(*record, 0, 4) != zip64EndSignature) return std::nullopt;
      directory = {number(*record, 48, 8), number(*record, 40, 8)};
    }
    if (directory.size > largestDirectory || directory.offset > size ||
        directory.size > size - directory.offset) {
      return std::nullopt;
    }
    return directory;
  }
  return std::nullopt;
}

struct Entry {
  std::uint16_t method = 0;
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localHeader = 0;
};

// An entry's sizes and offset, those too large for 32 bits from its Zip64 field.
Entry entryAt(std::string_view directory, std::size_t at, std::string_view extra) {
  Entry entry{static_cast<std::uint16_t>(number(directory, at + 10, 2)),
              number(directory, at + 20, 4), number(directory, at + 24, 4),
              number(directory, at + 42, 4)};
  for (std::size_t field = 0; field + 4 <= extra.size();) {
    const std::uint64_t id = number(extra, field, 2);
    const std::size_t length = number(extra, field + 2, 2);
    std::string_view data = extra.substr(field + 4, std::min(length, extra.size() - field - 4));
    field += 4 + length;
    if (id != 0x0001) continue;
    std::size_t next = 0;
    for (std::uint64_t* value : {&entry.size, &entry.compressedSize, &entry.localHeader}) {
      if (*value != 0xffffffff) continue;
      *value = number(data, next, 8);
      next += 8;
    }
  }
  return entry;
}

// An entry of the central directory by its exact name; the manifest, not
// found so, by its name in another letter case.
std::optional<Entry> findEntry(std::string_view directory, std::string_view wanted) {
  std::optional<Entry> otherCase;
  for (std::size_t at = 0; number(directory, at, 4) == directoryEntrySignature;) {
    const std::size_t nameLength = number(directory, at + 28, 2);
    const std::size_t extraLength = number(directory, at + 30, 2);
    const std::size_t commentLength = number(directory, at + 32, 2);
    const std::size_t next = at + directoryEntrySize + nameLength + extraLength + commentLength;
    if (next > directory.size()) break;
    const std::string_view name = directory.substr(at + directoryEntrySize, nameLength);
    const std::string_view extra =
        directory.substr(at + directoryEntrySize + nameLength, extraLength);
    if (name == wanted) return entryAt(directory, at, extra);
    if (!otherCase && wanted == manifestName && sameNameIgnoringCase(name, manifestName)) {
      otherCase = entryAt(directory, at, extra);
    }
    at = next;
  }
  return otherCase;
}

// The bytes of a deflated entry, inflated with zlib.
std::optional<std::string> inflated(const std::string& compressed, std::uint64_t size) {
  std::string text(size, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = reinterpret_cast<Bytef*>(text.data());
  stream.avail_out = static_cast<uInt>(text.size());
  const int status = inflate(&stream, Z_FINISH);
  const std::uint64_t produced = stream.total_out;
  inflateEnd(&stream);
  if (status != Z_STREAM_END || produced != size) return std::nullopt;
  return text;
}

}  // namespace

JarEntry readArchiveEntry(std::uint64_t size, const ArchiveBytes& read, std::string_view name) {
  const std::optional<Directory> where = findDirectory(size, read);
  if (!where) return {Outcome::corrupt, {}};
  const std::optional<std::string> directory = read(where->offset, where->size);
  if (!directory || directory->size() != where->size) return {Outcome::corrupt, {}};
  const std::optional<Entry> entry = findEntry(*directory, name);
  if (!entry) return {Outcome::none, {}};
  if (entry->size > largestEntry || entry->compressedSize > largestEntry ||
      (entry->method != 0 && entry->method != Z_DEFLATED)) {
    return {Outcome::corrupt, {}};
  }
  const std::optional<std::string> header = read(entry->localHeader, localHeaderSize);
  if (!header || number(*header, 0, 4) != localHeaderSignature) return {Outcome::corrupt, {}};
  const std::uint64_t data =
      entry->localHeader + localHeaderSize + number(*header, 26, 2) + number(*header, 28, 2);
  const std::optional<std::string> stored = read(data, entry->compressedSize);
  if (!stored || stored->size() != entry->compressedSize) return {Outcome::corrupt, {}};
  if (entry->method == 0) {
    if (entry->size != entry->compressedSize) return {Outcome::corrupt, {}};
    return {Outcome::found, *stored};
  }
  std::optional<std::string> text = inflated(*stored, entry->size);
  if (!text) return {Outcome::corrupt, {}};
  return {Outcome::found, std::move(*text)};
}

std::string manifestOnlyJar(std::string_view manifest) {
  const auto put = [](std::string& to, std::uint64_t value, int width) {
    // Bytes past the eighth are zero: a shift of 64 or more is undefined.
    for (int i = 0; i < width; ++i) to += static_cast<char>(i < 8 ? (value >> (8 * i)) & 0xff : 0);
  };
  const std::uint64_t crc =
      crc32(0, reinterpret_cast<const Bytef*>(manifest.data()), static_cast<uInt>(manifest.size()));
  // What the local header and the central directory's entry share: the
  // version needed (1.0), no flags, stored, 1980-01-01 00:00, CRC and sizes,
  // the name's length and no extra field.
  std::string common;
  for (const auto& [value, width] : {std::pair<std::uint64_t, int>{10, 2},
                                     {0, 2},
                                     {0, 2},
                                     {0, 2},
                                     {0x21, 2},
                                     {crc, 4},
                                     {manifest.size(), 4},
                                     {manifest.size(), 4},
                                     {manifestName.size(), 2},
                                     {0, 2}}) {
    put(common, value, width);
  }
  std::string jar;
  put(jar, localHeaderSignature, 4);
  jar.append(common).append(manifestName).append(manifest);
  const std::size_t directoryOffset = jar.size();
  put(jar, directoryEntrySignature, 4);
  put(jar, 20, 2);  // made by version 2.0
  jar.append(common);
  put(jar, 0, 14);  // no comment, disk 0, no attributes, the local header at 0
  jar.append(manifestName);
  const std::size_t directorySize = jar.size() - directoryOffset;
  put(jar, endOfDirectorySignature, 4);
  put(jar, 0, 4);  // this disk and the directory's are the first
  put(jar, 1, 2);
  put(jar, 1, 2);
  put(jar, directorySize, 4);
  put(jar, directoryOffset, 4);
  put(jar, 0, 2);
  return jar;
}

JarEntry readJarEntry(const std::string& path, std::string_view name) {
  const std::optional<std::uint64_t> size = platform::regularFileSize(path);
  if (!size || !platform::readFilePart(path, 0, 0)) return {Outcome::unreadable, {}};
  return readArchiveEntry(
      *size,
      [&](std::uint64_t offset, std::size_t length) {
        return platform::readFilePart(path, offset, length);
      },
      name);
}

}  // namespace murvo
