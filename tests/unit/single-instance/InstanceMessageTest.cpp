#include <gtest/gtest.h>

#include "single-instance/InstanceMessage.h"

namespace murvo {
namespace {

const InstanceMessage sample{{"with blank", "", "say \"hi\"", "caf\xC3\xA9 \xF0\x9F\x98\x80",
                              std::string("nul\0inside", 10)},
                             "/home/u/Documents"};

TEST(InstanceMessage, EveryArgumentAndTheFolderComeBackWhole) {
  for (const InstanceMessage& message :
       {sample, InstanceMessage{}, InstanceMessage{{std::string(70000, 'x')}, ""}}) {
    EXPECT_EQ(decodeInstanceMessage(encodeInstanceMessage(message)), message);
  }
}

TEST(InstanceMessage, MalformedTruncatedOrTooLongMessagesDecodeToNothing) {
  const std::string good = encodeInstanceMessage(sample);
  for (std::size_t length = 0; length < good.size(); ++length) {
    EXPECT_FALSE(decodeInstanceMessage(good.substr(0, length))) << length;
  }
  std::string otherMagic = good;
  otherMagic[5] = '\x02';
  std::string hugeCount = good;
  hugeCount[7] = '\xFF';
  std::string hugeSize = good;
  hugeSize[14] = '\x7F';
  for (const std::string& bad : {otherMagic, hugeCount, hugeSize, good + "x",
                                 std::string(maxInstanceMessageSize + 1, 'm')}) {
    EXPECT_FALSE(decodeInstanceMessage(bad));
  }
}

}  // namespace
}  // namespace murvo
