#include "vm/OptionEncoding.h"

#include <deque>
#include <optional>

#include "config/VersionOrder.h"
#include "discovery/JvmLibraryLayout.h"
#include "discovery/ReleaseFile.h"
#include "platform/TextEncoding.h"
#include "reporting/Trace.h"

namespace murvo {

bool decodesOptionsAsUtf8(const std::string& version) {
  if (version.empty()) return true;
  const int feature = featureVersion(version);
  if (feature >= 19) return true;
  if (feature == 17) return compareVersions(version, "17.0.4") >= 0;
  if (feature == 11) return compareVersions(version, "11.0.16") >= 0;
  return false;
}

void encodeOptionsFor(const std::string& jvmPath, JavaVMInitArgs& args) {
  if (!platform::hasLegacyCodePage) return;
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  const std::string version = home ? releaseVersion(*home) : "";
  if (decodesOptionsAsUtf8(version)) return;
  if (tracing())
    trace("JVM options in the legacy ANSI code page, as Java " + version + " reads them");
  // The converted texts live as long as the VM may read them: to the end.
  static std::deque<std::string> converted;
  for (jint i = 0; i < args.nOptions; ++i) {
    bool lossy = false;
    converted.push_back(platform::utf8ToLegacyCodePage(args.options[i].optionString, lossy));
    args.options[i].optionString = converted.back().data();
    if (lossy && tracing()) {
      trace("JVM option " + std::to_string(i + 1) +
            " holds characters that the legacy ANSI code page cannot: they reach Java " + version +
            " replaced");
    }
  }
}

}  // namespace murvo
