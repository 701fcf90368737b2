#include "platform/UserFolders.h"

#include "platform/Environment.h"
#include "platform/PathText.h"

namespace murvo::platform {

std::optional<std::string> userCacheFolder() {
  std::optional<std::string> folder = environmentVariable("LOCALAPPDATA");
  if (!folder || !isAbsolutePath(*folder)) return std::nullopt;
  while (folder->ends_with('\\')) folder->pop_back();
  return folder;
}

}  // namespace murvo::platform
