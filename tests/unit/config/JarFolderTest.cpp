#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "TestSupport.h"
#include "config/LaunchProperties.h"

namespace murvo {
namespace {

class JarFolder : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"a.jar", "B.JAR", "c.Jar", "readme.txt", "a.jar.bak", "notajar"}) {
      dir.write(std::string("lib/") + name, "");
    }
    dir.makeDir("lib/x.jar");
  }
  // The class path entry of `name` (relative, written with '/').
  std::string entry(const std::string& name) const {
    return platform::classPathSeparator + dir.file(name);
  }

  const test::TempDir dir;
#ifdef _WIN32  // in the order the system delivers: NTFS (and Wine) ignore letter case
  const std::string jars = entry("lib/a.jar") + entry("lib/B.JAR") + entry("lib/c.Jar");
#else  // sorted by byte value
  const std::string jars = entry("lib/B.JAR") + entry("lib/a.jar") + entry("lib/c.Jar");
#endif
};

TEST_F(JarFolder, AddsTheFilesEndingInJarInNameOrderWithOrWithoutTrailingSeparator) {
  for (const std::string& folder : {dir.file("lib"), dir.file("lib") + platform::pathSeparator}) {
    LaunchProperties properties;
    properties.addJarsToClassPath(folder);
    EXPECT_EQ(properties.getClassPath(), jars) << folder;
  }
}

TEST_F(JarFolder, FoldersAddInTheOrderGivenAndOnesThatCannotBeListedAddNothing) {
  dir.write("one/z.jar", "");
  dir.write("two/a.jar", "");
  LaunchProperties properties;
  for (const char* folder : {"two", "missing", "lib/readme.txt", "one", "two"}) {
    properties.addJarsToClassPath(dir.file(folder));
  }
  EXPECT_EQ(properties.getClassPath(),
            entry("two/a.jar") + entry("one/z.jar") + entry("two/a.jar"));
}

// A jar whose path holds the class path separator cannot be named on a class
// path; an empty folder value names no folder (not the root) but counts as
// a jar folder given.
TEST_F(JarFolder, SeparatorsInAPathAndAnEmptyFolderAddNothing) {
  const std::string sep(1, platform::classPathSeparator);
  dir.write("lib/a" + sep + sep + "b.jar", "");
  dir.write("odd" + sep + "dir/c.jar", "");
  LaunchProperties properties;
  EXPECT_FALSE(properties.hasJarFolder());
  for (const std::string& folder :
       {dir.file("lib"), dir.file("odd" + sep + "dir"), std::string()}) {
    properties.addJarsToClassPath(folder);
  }
  EXPECT_EQ(properties.getClassPath(), jars);
  EXPECT_TRUE(properties.hasJarFolder());
}

#ifndef _WIN32
// Regular files and links to them count; a link to a folder, a dangling link
// and a named pipe (which could block the JVM) do not.
TEST_F(JarFolder, OnlyRegularFilesAndLinksToThemCount) {
  std::filesystem::create_symlink(dir.file("lib/a.jar"), dir.file("lib/link.jar"));
  std::filesystem::create_directory_symlink(dir.file("lib/x.jar"), dir.file("lib/folder.jar"));
  std::filesystem::create_symlink(dir.file("lib/none"), dir.file("lib/dangling.jar"));
  ASSERT_EQ(mkfifo(dir.file("lib/pipe.jar").c_str(), 0600), 0);
  LaunchProperties properties;
  properties.addJarsToClassPath(dir.file("lib"));
  EXPECT_EQ(properties.getClassPath(), jars + entry("lib/link.jar"));
}
#endif

}  // namespace
}  // namespace murvo
