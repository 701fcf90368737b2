#pragma once

#include <string>

namespace murvo {

// The JAVA_VERSION of a Java home's `release` file ("17.0.15", "1.8.0_401"),
// without its quotes; empty when the home has no such file or line.
std::string releaseVersion(const std::string& home);

}  // namespace murvo
