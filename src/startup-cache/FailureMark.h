// The mark left beside a launch's archive when the JVM could not make it.
// When the JVM itself failed, the mark stands until something of the launch
// changes (which gives the launch another archive name); a failure that
// passes (a full disk, a kill) is tried again an hour later.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace murvo {

enum class FailureCause { jvm, passing };

inline std::string encodeFailureMark(FailureCause cause) {
  return cause == FailureCause::jvm ? "jvm\n" : "passing\n";
}

inline bool failureMarkStands(std::string_view mark, std::int64_t ageSeconds) {
  constexpr std::int64_t retryAfterSeconds = 60 * 60;
  return !mark.starts_with("passing") || ageSeconds < retryAfterSeconds;
}

}  // namespace murvo
