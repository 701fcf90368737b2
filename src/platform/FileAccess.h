#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace murvo::platform {

// True when `path` names a regular file, or a link to one.
bool isRegularFile(const std::string& path);

// The bytes of a regular file (or of a link to one), at most `limit` of them
// from its start; nothing for a path that names anything else (a folder, a
// pipe, a device) or cannot be read. Never waits for a writer.
std::optional<std::string> readRegularFile(const std::string& path,
                                           std::size_t limit = std::string::npos);

// The size of a regular file (or of a link to one); nothing for anything else.
std::optional<std::uint64_t> regularFileSize(const std::string& path);

// `length` bytes of a regular file from `offset`, fewer at its end; nothing
// when it cannot be read.
std::optional<std::string> readFilePart(const std::string& path, std::uint64_t offset,
                                        std::size_t length);

// The path with every link resolved, or nothing when it does not exist.
std::optional<std::string> resolvedPath(const std::string& path);

}  // namespace murvo::platform
