#include <gtest/gtest.h>

#include "vm/MainMethod.h"

namespace murvo {
namespace {

// Which Java starts which main methods: from 25 always, 21 to 24 only with
// the preview on; Java 21's preview tries the static ones first.
TEST(MainMethodRules, TheNewMainMethodsFromJava25OrWithThePreviewFrom21) {
  const struct {
    int feature;
    bool preview;
    bool instanceMain;
    bool staticFirst;
  } cases[] = {
      {0, true, false, false},   {8, false, false, false}, {17, true, false, false},
      {21, false, false, true},  {21, true, true, true},   {22, true, true, false},
      {24, false, false, false}, {24, true, true, false},  {25, false, true, false},
      {26, false, true, false},
  };
  for (const auto& c : cases) {
    const MainMethodRules rules{c.feature, c.preview};
    EXPECT_EQ(rules.instanceMainAllowed(), c.instanceMain) << c.feature << " " << c.preview;
    EXPECT_EQ(rules.staticFirst(), c.staticFirst) << c.feature;
  }
}

}  // namespace
}  // namespace murvo
