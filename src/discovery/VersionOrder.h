#pragma once

#include <string_view>

namespace murvo {

// Orders Java version texts: every maximal run of digits compares as a number
// (leading zeros ignored), every other byte by its unsigned value, left to
// right; a version that is the beginning of another is below it.
// Negative, zero or positive as `a` is below, equal to or above `b`.
int compareVersions(std::string_view a, std::string_view b);

}  // namespace murvo
