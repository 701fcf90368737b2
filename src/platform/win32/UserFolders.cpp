#include "platform/UserFolders.h"

#include "platform/Environment.h"
#include "platform/PathText.h"

namespace murvo::platform {

namespace {

std::optional<std::string> folderOf(const char* variable) {
  std::optional<std::string> folder = environmentVariable(variable);
  if (!folder || !isAbsolutePath(*folder)) return std::nullopt;
  while (folder->ends_with('\\')) folder->pop_back();
  return folder;
}

}  // namespace

std::optional<std::string> userCacheFolder() {
  return folderOf("LOCALAPPDATA");
}

std::optional<std::string> userConfigFolder() {
  return folderOf("APPDATA");
}

}  // namespace murvo::platform
