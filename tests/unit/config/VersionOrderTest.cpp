#include <gtest/gtest.h>

#include <sstream>

#include "config/LaunchProperties.h"
#include "config/VersionOrder.h"

namespace murvo {

// Each case reads "a<b", "a=b" or "a>b". Numbers beyond 64 bits and bytes
// above 0x7f compare correctly too; a pre-release is below its release.
TEST(VersionOrder, DigitRunsCompareAsNumbersOtherBytesByValue) {
  std::istringstream cases(
      "1.3=1.3 1.4.1>1.4 1.10>1.9 11>9 17.0.15>17.0.9 1.8.0_392>1.8.0_40 1.4b>1.4B 007=7 1.0=1.00 "
      "0> = <1 1.a>1.1 1.8<1.8.0 1.4\xe9>1.4z 100000000000000000000001>99999999999999999999 "
      "25-ea<25 25-ea>24.0.2 25-ea<25-rc 25+36>25 25-ea+36<25+1 17.0.1-beta<17.0.1 25-ea=25-ea");
  for (std::string c; cases >> c;) {
    const std::size_t at = c.find_first_of("<=>");
    const std::string a = c.substr(0, at), b = c.substr(at + 1);
    const int order = c[at] == '<' ? -1 : c[at] == '>' ? 1 : 0;
    const int forward = compareVersions(a, b), backward = compareVersions(b, a);
    EXPECT_EQ((forward > 0) - (forward < 0), order) << c;
    EXPECT_EQ((backward > 0) - (backward < 0), -order) << c;
  }
}

// Each case reads "min|version|max"; a maximum of 17 is below 17.0.15.
TEST(VersionOrder, BoundsAreInclusiveAndEmptyMeansNoLimit) {
  const std::pair<const char*, bool> groups[] = {
      {"|| |anything| 1.3|1.3| 1.9|1.10| 9|11| 9|17.0.15| 1.4|1.4|1.4 11|17.0.15|17.0.15", true},
      {"|1.4.1|1.4 9|1.8.0_392| 11|17.0.15|17 11||17", false}};
  for (auto [text, good] : groups) {
    std::istringstream cases(text);
    for (std::string c; cases >> c;) {
      const std::size_t first = c.find('|'), second = c.rfind('|');
      LaunchProperties properties;
      properties.setMinJavaVersion(c.substr(0, first));
      properties.setMaxJavaVersion(c.substr(second + 1));
      EXPECT_EQ(properties.isVersionGood(c.substr(first + 1, second - first - 1)), good) << c;
    }
  }
}

}  // namespace murvo
