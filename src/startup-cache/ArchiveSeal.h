// What an archive was when its maker put it in place, kept beside it: a
// later start uses the archive only while it is still exactly that file (the
// same size, modification time and identity), so an archive cut short,
// overwritten or replaced since is never mapped. The seal also names the JVM the archive
// is for, so that the archives of a JVM no longer installed can be removed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace murvo {

std::string encodeArchiveSeal(const std::string& jvmLibrary, const platform::FileStamp& archive);

// The JVM library a seal names; nothing for a text that is no seal.
std::optional<std::string> sealedJvmLibrary(std::string_view seal);

// True when the archive's stamp now is the one sealed.
bool sealMatches(std::string_view seal, const platform::FileStamp& archive);

}  // namespace murvo
