#include <gtest/gtest.h>

#include "jvm/JvmLauncher.h"
#include "platform/PathText.h"

namespace murvo {

// The jar list, as jar folders build it, begins with a separator; no option
// may begin its value with an empty element.
TEST(InitArgs, ClassPathJoinsConfiguredOptionsOrBecomesTheLastOption) {
  const std::string sep(1, platform::classPathSeparator), cp = "-Djava.class.path=";
  const std::string list = "/a.jar" + sep + "/b.jar", jars = sep + list;
  using Options = std::vector<std::string>;
  const struct {
    Options options;
    std::string classPath;
    Options expected;
  } cases[] = {
      {{}, "", {}},
      {{"-Xmx1m", cp + "app.jar"}, "", {"-Xmx1m", cp + "app.jar"}},
      {{}, jars, {cp + list}},
      {{"-Xmx128m", cp + "app.jar"}, jars, {"-Xmx128m", cp + "app.jar" + jars}},
      {{cp}, jars, {cp + list}},
      {{cp + "lib/a="}, jars, {cp + "lib/a=" + jars}},
      {{cp + "x.jar", "-Xss1m", cp + "y.jar"},
       jars,
       {cp + "x.jar" + jars, "-Xss1m", cp + "y.jar" + jars}},
      {{"-Djava.class.pathX=1"}, jars, {"-Djava.class.pathX=1" + jars}},
      {{"-DJAVA.CLASS.PATH=app.jar", "-Xss1m"},
       jars,
       {"-DJAVA.CLASS.PATH=app.jar", "-Xss1m", cp + list}},
      {{"-Djava.class.pat"}, jars, {"-Djava.class.pat", cp + list}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    LaunchProperties properties;
    for (const std::string& option : c.options) properties.addJvmOption(option);
    properties.getClassPath() = c.classPath;
    JavaVMInitArgs args;
    args.nOptions = 99;
    args.ignoreUnrecognized = JNI_TRUE;
    JvmLauncher(properties).buildInitArgs(args);

    EXPECT_EQ(args.version, 0x10002);
    EXPECT_EQ(args.ignoreUnrecognized, JNI_FALSE);
    EXPECT_EQ(properties.getJvmOptions(), c.expected);
    ASSERT_EQ(args.nOptions, static_cast<jint>(c.expected.size()));
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
      // The VM reads the record's own texts, not copies.
      EXPECT_EQ(args.options[i].optionString, properties.getJvmOptions()[i].c_str());
      EXPECT_EQ(args.options[i].extraInfo, nullptr);
    }
  }
}

}  // namespace murvo
