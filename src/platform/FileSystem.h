// Files and folders as the start-up cache keeps them: what identifies a
// file's content, folders made on demand, files written whole, renamed into
// place and removed; and the process's working folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace murvo::platform {

// The size and the last modification time of a file: a file whose content
// changes changes either.
struct FileStamp {
  std::uint64_t size;
  std::int64_t modified;  // in the system's own unit
};

// The stamp of a regular file, or of a link to one; nothing for anything else.
std::optional<FileStamp> fileStamp(const std::string& path);

// True when `path` names a folder, or a link to one.
bool isFolder(const std::string& path);

// Makes a folder with the folders above it that are missing, new ones for
// the current user alone; true when it is a folder afterwards.
bool createFolders(const std::string& path);

// Writes a file whole, replacing any file of that name; false when any of it
// could not be written (a read-only folder, a full disk).
bool writeWholeFile(const std::string& path, const std::string& bytes);

// Renames a file, replacing the file that has the new name; false on failure.
bool renameFile(const std::string& from, const std::string& to);

// Removes a file; a file that cannot be removed (in use, gone) stays as it is.
void removeFile(const std::string& path);

// The process's working folder; empty when the system cannot tell it.
std::string currentFolder();

}  // namespace murvo::platform
