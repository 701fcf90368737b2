#pragma once

#include <string>
#include <string_view>

namespace murvo {

// The value of `key` in a Java home's `release` file, without its quotes;
// empty when the home has no such file or line.
std::string releaseValue(const std::string& home, std::string_view key);

// The JAVA_VERSION of a Java home ("17.0.15", "1.8.0_401").
inline std::string releaseVersion(const std::string& home) {
  return releaseValue(home, "JAVA_VERSION");
}

// The feature release of a version text: 8 for "1.8.0_401", 17 for
// "17.0.15", 0 for a text without one.
int featureVersion(std::string_view version);

}  // namespace murvo
