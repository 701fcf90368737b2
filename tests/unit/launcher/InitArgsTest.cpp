#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"
#include "launcher/JvmLauncher.h"
#include "platform/PathText.h"

namespace murvo {

// The jar list, as jar folders build it, begins with a separator; no option
// may gain an empty element or an empty value (the current directory) from
// it, and a class path that comes out empty names the .lap file.
TEST(InitArgs, ClassPathJoinsConfiguredOptionsOrBecomesTheLastOption) {
  const std::string sep(1, platform::classPathSeparator), cp = "-Djava.class.path=";
  const std::string list = "/a.jar" + sep + "/b.jar", jars = sep + list;
  const std::string exe = test::nativePath("/opt/app/bin/app"), lap = exe + ".lap";
  using Options = std::vector<std::string>;
  const struct {
    Options options;
    std::string classPath;
    Options expected;
    bool emptyJarFolder = false;  // a jar folder that added nothing
    std::string leading = "";     // a runnable jar and its libraries
    Options modulePath = {};
    std::string mainModule = "";
  } cases[] = {
      // Nothing configured: what `java` takes without -cp.
      {{}, "", {cp + (std::getenv("CLASSPATH") ? std::getenv("CLASSPATH") : ".")}},
      {{"-Xmx1m", cp + "app.jar"}, "", {"-Xmx1m", cp + "app.jar"}},
      {{}, jars, {cp + list}},
      {{"-Xmx128m", cp + "app.jar"}, jars, {"-Xmx128m", cp + "app.jar" + jars}},
      {{cp}, jars, {cp + list}},
      {{cp + "lib/a="}, jars, {cp + "lib/a=" + jars}},
      {{cp + "x.jar", "-Xss1m", cp + "y.jar"},
       jars,
       {cp + "x.jar" + jars, "-Xss1m", cp + "y.jar" + jars}},
      {{"-Djava.class.pathX=1"}, jars, {"-Djava.class.pathX=1", cp + list}},
      {{"-Djava.class.path.extra=foo"}, jars, {"-Djava.class.path.extra=foo", cp + list}},
      {{"-DJAVA.CLASS.PATH=app.jar", "-Xss1m"},
       jars,
       {"-DJAVA.CLASS.PATH=app.jar", "-Xss1m", cp + list}},
      {{"-Djava.class.pat"}, jars, {"-Djava.class.pat", cp + list}},
      // No separator doubled; a bare option is the property with a value.
      {{cp + "/opt/classes" + sep}, jars, {cp + "/opt/classes" + jars}},
      {{"-Djava.class.path"}, jars, {cp + list}},
      // Configured, but empty.
      {{cp}, "", {cp + lap}},
      {{"-Djava.class.path"}, "", {cp + lap}},
      {{"-Xss1m"}, "", {"-Xss1m", cp + lap}, true},
      {{cp, cp + "x.jar"}, "", {cp + lap, cp + "x.jar"}, true},
      // A runnable jar comes first, CLASSPATH is not read.
      {{}, "", {cp + "/r.jar" + sep + "/lib"}, false, "/r.jar" + sep + "/lib"},
      {{cp + "x.jar"}, jars, {cp + "/r.jar" + sep + "x.jar" + jars}, false, "/r.jar"},
      {{cp}, jars, {cp + "/r.jar" + jars}, false, "/r.jar"},
      // A modular program: the module path and main module, no class path
      // but CLASSPATH's.
      {{},
       "",
       {cp + (std::getenv("CLASSPATH") ? std::getenv("CLASSPATH") : ""),
        "--module-path=/mods" + sep + "/m.jar", "-Djdk.module.main=app"},
       false,
       "",
       {"/mods", "/m.jar"},
       "app/app.Main"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    LaunchProperties properties;
    properties.setExePath(exe);
    for (const std::string& option : c.options) properties.addJvmOption(option);
    if (!c.classPath.empty() || c.emptyJarFolder) properties.addJarsToClassPath("");
    properties.getClassPath() = c.classPath;
    if (!c.leading.empty()) properties.addLeadingClassPath(c.leading);
    for (const std::string& path : c.modulePath) properties.addModulePath(path);
    properties.setMainModule(c.mainModule);
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

// Split at the separator, the .lap file's path could name anything: the
// launch fails rather than put its pieces on the class path.
TEST(InitArgsDeathTest, AnEmptyClassPathBesideALapWhosePathHoldsTheSeparatorFails) {
  LaunchProperties properties;
  properties.setExePath(
      test::nativePath("/opt/a" + std::string(1, platform::classPathSeparator) + "b/app"));
  properties.addJvmOption("-Djava.class.path=");
  JavaVMInitArgs args;
  EXPECT_EXIT(JvmLauncher(properties).buildInitArgs(args), testing::ExitedWithCode(1),
              test::launcherMessage("Error while setting up JVM init arguments."));
}

}  // namespace murvo
