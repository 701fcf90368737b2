// Files and folders as the start-up cache keeps them: what identifies a
// file's content, who may change a folder, folders made on demand for the
// user alone, files created new, renamed into place and removed; and the
// process's working folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace murvo::platform {

// What tells one content of a file from another: its size and modification
// time, which a copy tool can keep, and its change time and identity on its
// volume, which no copy keeps (a file copied over another, or replaced,
// changes them).
struct FileStamp {
  std::uint64_t size;
  std::int64_t modified;  // in the system's own unit
  std::int64_t changed = 0;
  std::uint64_t file = 0;    // the file's number on its volume
  std::uint64_t volume = 0;  // the volume's number
};

// The stamp of a regular file, or of a link to one; nothing for anything else.
std::optional<FileStamp> fileStamp(const std::string& path);

// True when `path` names a folder, or a link to one.
bool isFolder(const std::string& path);

// Who may change a folder's entries.
struct FolderAccess {
  bool isLink;              // the path itself is a symbolic link or junction
  bool ownedByUser;         // by the user this process runs as
  bool ownedBySystem;       // by the system's administrator (root, SYSTEM, Administrators)
  bool othersMayWrite;      // someone else may add, remove or rename entries
  bool othersKeepTheirOwn;  // others may add entries but remove or rename only their own
};

// The access of a folder, the path not followed when it is a link; nothing
// when it is no folder or cannot be read.
std::optional<FolderAccess> folderAccess(const std::string& path);

// True where the access of the folders above a folder tells who may rename
// it away (POSIX: whoever may write the folder above). Windows grants that
// through rights of its own that folderAccess does not read; there a
// folder's owner and access list are what can be told.
extern const bool folderAccessCoversFoldersAbove;

// Makes a folder with the folders above it that are missing, new ones for
// the current user alone; true when it is a folder afterwards.
bool createFolders(const std::string& path);

// Creates a file that does not exist yet, for the current user alone, and
// writes it whole; false when the name is taken (also by a link) or any of
// it could not be written (a read-only folder, a full disk).
bool createNewFile(const std::string& path, const std::string& bytes);

// The bytes of a regular file that the current user owns and nobody else may
// write, at most `limit` of them; nothing for a link, another's file or a
// file that cannot be read. Never waits for a writer.
std::optional<std::string> readOwnFile(const std::string& path, std::size_t limit);

// True when `path` is a regular file (not a link) that the current user owns
// and nobody else may write.
bool isOwnFile(const std::string& path);

// Writes what the system holds of a file to its disk; false when it cannot.
bool syncFile(const std::string& path);

// Seconds since a file was last modified; nothing when there is no such file.
std::optional<std::int64_t> secondsSinceModified(const std::string& path);

// Sets a file's modification time to now.
void touchFile(const std::string& path);

// Bytes free for the user on the volume of a folder; nothing when unknown.
std::optional<std::uint64_t> freeBytes(const std::string& folder);

// Renames a file, replacing the file that has the new name; false on failure.
bool renameFile(const std::string& from, const std::string& to);

// Removes a file; a file that cannot be removed (in use, gone) stays as it is.
void removeFile(const std::string& path);

// The process's working folder; empty when the system cannot tell it.
std::string currentFolder();

// Makes `folder` the process's working folder; false when it cannot.
bool setCurrentFolder(const std::string& folder);

}  // namespace murvo::platform
