#pragma once

#include <string_view>

namespace murvo {

// Orders Java version texts: every maximal run of digits compares as a number
// (leading zeros ignored), every other byte by its unsigned value, left to
// right; a version that is the beginning of another is below it. A
// pre-release ("25-ea", "21-beta") is below the release of its number; a
// build ("+36") counts last.
// Negative, zero or positive as `a` is below, equal to or above `b`.
int compareVersions(std::string_view a, std::string_view b);

}  // namespace murvo
