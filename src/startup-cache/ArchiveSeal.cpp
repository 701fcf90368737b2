#include "startup-cache/ArchiveSeal.h"

namespace murvo {

namespace {

constexpr std::string_view stampLine = "stamp ";
constexpr std::string_view jvmLine = "\njvm ";

// The change time stays out: renaming the archive into place changes it, and
// the seal is written before, so that no start ever finds an archive without
// its seal. Content written since changes the modification time, a file put
// in its place the identity.
std::string stampText(const platform::FileStamp& stamp) {
  return std::to_string(stamp.size) + " " + std::to_string(stamp.modified) + " " +
         std::to_string(stamp.file) + " " + std::to_string(stamp.volume);
}

}  // namespace

std::string encodeArchiveSeal(const std::string& jvmLibrary, const platform::FileStamp& archive) {
  return std::string(stampLine) + stampText(archive) + std::string(jvmLine) + jvmLibrary;
}

std::optional<std::string> sealedJvmLibrary(std::string_view seal) {
  const std::size_t jvm = seal.find(jvmLine);
  if (!seal.starts_with(stampLine) || jvm == std::string_view::npos) return std::nullopt;
  return std::string(seal.substr(jvm + jvmLine.size()));
}

bool sealMatches(std::string_view seal, const platform::FileStamp& archive) {
  return sealedJvmLibrary(seal) &&
         seal.starts_with(std::string(stampLine) + stampText(archive) + std::string(jvmLine));
}

}  // namespace murvo
