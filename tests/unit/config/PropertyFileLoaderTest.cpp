#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/PropertyFileLoader.h"

namespace murvo {
namespace {

using Texts = std::vector<std::string>;
using test::TempDir;

// Loads `text` as the .lap file of the executable <dir>/app.
LaunchProperties load(const TempDir& dir, const std::string& text) {
  dir.write("app.lap", text);
  LaunchProperties properties;
  properties.setExePath(dir.file("app"));
  properties.loadProperties();
  return properties;
}

TEST(PropertyFileLoader, ConfigFileNameReplacesAFinalExeInAnyCaseOrAppendsLap) {
  const std::pair<std::string, std::string> cases[] = {
      {R"(C:\Tools\app.exe)", R"(C:\Tools\app.lap)"},
      {R"(C:\Tools\APP.Exe)", R"(C:\Tools\APP.lap)"},
      {"/opt/App.eXe", "/opt/App.lap"},
      {"/opt/app", "/opt/app.lap"},
      {R"(D:\apps.old\tool)", R"(D:\apps.old\tool.lap)"},
      {"/opt/app.bin", "/opt/app.bin.lap"},
      {"/opt/app.exe.bak", "/opt/app.exe.bak.lap"},
      {"/opt/app.exes", "/opt/app.exes.lap"},
      {".exe", ".exe.lap"},
      {"a.exe", "a.lap"},
  };
  for (const auto& [exePath, expected] : cases) {
    LaunchProperties properties;
    properties.setExePath(exePath);
    EXPECT_EQ(PropertyFileLoader(properties).getConfigFileName(), expected);
  }
}

TEST(PropertyFileLoader, LineEndsByteOrderMarkCommentsAndBlanksDoNotChangeWhatIsRead) {
  const std::string files[] = {
      "murvo.main.class=demo.Main\n-Xmx1m\n",
      "murvo.main.class=demo.Main\r\n-Xmx1m\r\n",
      "murvo.main.class=demo.Main\n-Xmx1m",
      "murvo.main.class=demo.Main\r\n\r\n-Xmx1m\r\n\r\n",
      "\xEF\xBB\xBFmurvo.main.class=demo.Main\r\n-Xmx1m",
      "# c=1\n\n \t \r\n   # -Xss1m\r\n  murvo.main.class =\tdemo.Main  \n\t-Xmx1m \n\n",
  };
  const TempDir dir;
  for (const std::string& text : files) {
    LaunchProperties properties = load(dir, text);
    EXPECT_EQ(properties.getJniMainClass(), "demo/Main") << text;
    EXPECT_EQ(properties.getJvmOptions(), Texts{"-Xmx1m"}) << text;
  }
}

TEST(PropertyFileLoader, LinesAndOptionsAreKeptWhole) {
  const TempDir dir;
  const std::string longOption = "-D" + std::string(99'998, 'x');
  const std::string text = "-Da=x\ry\n-Db=1\r\r\n-Dfoo = bar\n" + longOption +
                           "\nmurvo.main.class = value = x\nmurvo.java.bundle=b # c\n";
  LaunchProperties properties = load(dir, text);
  EXPECT_EQ(properties.getJvmOptions(), (Texts{"-Da=x\ry", "-Db=1\r", "-Dfoo = bar", longOption}));
  EXPECT_EQ(properties.getJniMainClass(), "value = x");
  EXPECT_EQ(properties.getJavaBundle(), "b # c");
}

TEST(PropertyFileLoader, EachKeyFillsItsField) {
  test::RegistryReplacement registry;
  const TempDir dir;
  const std::string jar = dir.write("lib/x.jar", "");
  // A relative Java home, splash image, jar and module path entry are taken
  // from the executable's folder.
  const std::string sep(1, platform::pathListSeparator);
  const std::string text =
      "murvo.jar=app.jar\nmurvo.main.module=m/m.Main\nmurvo.module.path=mods" + sep + sep +
      dir.file("abs") +
      "\nmurvo.module.path=more\nmurvo.module.path=\n"
      "murvo.splash=splash.png\nmurvo.splash.timeout=30\n"
      "murvo.main.class=demo.Main\nmurvo.java.bundle=SDK\nmurvo.bin.jvm.dir=server\n"
      "murvo.jvm.path=" +
      dir.file("j/libjvm.so") +
      "\nmurvo.java.home.path=j\nmurvo.min.java.version=1.8\n"
      "murvo.max.java.version=17\nmurvo.trap.console.ctrl=yes\nmurvo.classpath.jars.dir=" +
      dir.file("lib");
  LaunchProperties properties = load(dir, text);
  EXPECT_EQ(properties.getJniMainClass(), "demo/Main");
  EXPECT_EQ(properties.getJavaBundle(), LaunchProperties::SDK_BUNDLE);
  EXPECT_EQ(properties.getBinJvmDir(), "server");
  EXPECT_EQ(properties.getJvmPath(), dir.file("j/libjvm.so"));
  EXPECT_EQ(properties.getConfiguredJavaHome(), dir.file("j"));
  EXPECT_EQ(properties.getFoundJavaHome(), dir.file("j"));
  EXPECT_EQ(properties.getMinJavaVersion(), "1.8");
  EXPECT_EQ(properties.getMaxJavaVersion(), "17");
  EXPECT_TRUE(properties.isTrapConsoleCtrl());
  EXPECT_EQ(properties.getSplashImage(), dir.file("splash.png"));
  EXPECT_EQ(properties.getSplashTimeout(), "30");
  EXPECT_EQ(properties.getJar(), dir.file("app.jar"));
  EXPECT_EQ(properties.getMainModule(), "m/m.Main");
  EXPECT_EQ(properties.getModulePath(),
            (Texts{dir.file("mods"), dir.file("abs"), dir.file("more")}));
  EXPECT_EQ(properties.getClassPath(), platform::classPathSeparator + jar);
  EXPECT_TRUE(properties.getJvmOptions().empty());
  EXPECT_TRUE(registry.memory.openedKeys().empty());
}

TEST(PropertyFileLoader, KeysMatchWholeAndCaseSensitivelyAndAKeyAloneStoresEmpty) {
  const TempDir dir;
  LaunchProperties properties = load(
      dir,
      "murvo.java.bundle=SDK\nMURVO.main.class=A\nmurvo.main.classX=B\nmurvo.main=C\n"
      "murvo.main.class: D\n=murvo.main.class\nmurvo.colour=red\nfoo=bar\nmurvo.java.bundle\n");
  EXPECT_EQ(properties.getJniMainClass(), "");
  EXPECT_EQ(properties.getJavaBundle(), "");
  EXPECT_TRUE(properties.getJvmOptions().empty());
}

TEST(PropertyFileLoader, LinesWithReferencesComeAfterPlainOnesAndLauncherLinesFirst) {
  test::RegistryReplacement registry;
  const TempDir dir;
  for (const char* text : {"murvo.min.java.version=${SELF_HOME}\nmurvo.min.java.version=1.8",
                           "murvo.min.java.version=1.8\nmurvo.min.java.version=${SELF_HOME}"}) {
    EXPECT_EQ(load(dir, text).getMinJavaVersion(), dir.path()) << text;
  }
  LaunchProperties properties = load(dir,
                                     "-Dhome=${FOUND_JAVA_HOME}\n-Xmx1m\nmurvo.java.home.path=j\n"
                                     "-Dself=${SELF_HOME}\nmurvo.max.java.version=9\n-Xss1m\n"
                                     "murvo.max.java.version=11\n");
  EXPECT_EQ(properties.getJvmOptions(),
            (Texts{"-Xmx1m", "-Xss1m", "-Dhome=" + dir.file("j"), "-Dself=" + dir.path()}));
  EXPECT_EQ(properties.getMaxJavaVersion(), "11");
  EXPECT_TRUE(registry.memory.openedKeys().empty());
}

TEST(PropertyFileLoaderDeathTest, AFileThatCannotBeReadIsReportedByTheLoader) {
  const TempDir dir;
  LaunchProperties properties;
  properties.setExePath(dir.file("app"));
  // The loader's own text, not the "Error loading properties." of loadProperties.
  const std::string message = test::launcherMessage("Could not open file " + dir.file("app.lap"));
  EXPECT_EXIT(properties.loadProperties(), testing::ExitedWithCode(1), message);
  dir.makeDir("app.lap");  // opens on POSIX, but no line can be read
  EXPECT_EXIT(properties.loadProperties(), testing::ExitedWithCode(1), message);
}

TEST(PropertyFileLoaderDeathTest, WithoutTheExecutablesPathNoFileIsRead) {
  LaunchProperties properties;  // no path: the name would be ".lap" of the current directory
  EXPECT_EXIT(properties.loadProperties(), testing::ExitedWithCode(1),
              test::launcherMessage("Error getting configuration file name."));
}

}  // namespace
}  // namespace murvo
