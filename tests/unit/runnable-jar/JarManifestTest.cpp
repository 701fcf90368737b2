// The manifest's main section as the JAR format writes it, and the files that
// a Class-Path value names.
#include <gtest/gtest.h>

#include "platform/PathText.h"
#include "runnable-jar/JarManifest.h"
#include "runnable-jar/RunnableJar.h"

namespace murvo {
namespace {

TEST(JarManifest, MainSectionAttributesWhateverTheLineEnds) {
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    const JarManifest manifest("Manifest-Version: 1.0" + end +
                               "Main-Class: com.example.VeryLongNameThatTheJarToolWrapsAt72Byt" +
                               end + " es.App" + end + "class-path: a.jar" + end +
                               "Main-Class: second" + end + end + "Name: section" + end +
                               "Add-Opens: java.base/x" + end);
    EXPECT_EQ(manifest.attribute("Main-Class"),
              "com.example.VeryLongNameThatTheJarToolWrapsAt72Bytes.App");
    EXPECT_EQ(manifest.attribute("CLASS-PATH"), "a.jar");
    // Only the main section counts.
    EXPECT_EQ(manifest.attribute("Add-Opens"), std::nullopt);
    EXPECT_EQ(manifest.attribute("Name"), std::nullopt);
  }
  EXPECT_EQ(JarManifest("Main-Class:x\nbroken\n continued\nA: b").attribute("A"), "b");
  EXPECT_EQ(JarManifest("Main-Class:x\n").attribute("Main-Class"), std::nullopt);
  EXPECT_EQ(attributeWords(" a.jar\tb.jar \f c/ "),
            (std::vector<std::string>{"a.jar", "b.jar", "c/"}));
}

// What the JVM refuses to open, in any section.
TEST(JarManifest, ValidOnlyWithHeadersOfNamesAndLinesBelow512Bytes) {
  const std::string main = "Main-Class: a.B\n";
  const std::pair<std::string, bool> cases[] = {
      {main + "X-Long: " + std::string(503, 'x') + "\n", true},
      {main + "X-Long: " + std::string(504, 'x') + "\r\n", false},
      {main + "\nName: a\nX-Long: " + std::string(504, 'x') + "\n", false},
      {main + std::string(70, 'N') + ": v\n", true},
      {main + std::string(71, 'N') + ": v\n", false},
      {main + "X.Y: v\n", false},
      {main + ": v\n", false},
      {main + "Main-Class:a.B\n", false},
      {" continued\n" + main, false},
      {main + "\nName: a\nbroken\n", false},
      {main + "\n more\n", false},
      {main + "\nName: a\n more\n", true},
      {"", true},
  };
  for (const auto& [text, valid] : cases) {
    EXPECT_EQ(JarManifest(text).valid(), valid) << text;
  }
}

TEST(JarManifest, ClassPathEntriesAreUrlsRelativeToTheJarsFolder) {
  const char s = platform::pathSeparator;
  const std::string folder = std::string(1, s) + "app" + s + "lib";
  const auto in = [&](std::initializer_list<const char*> parts) {
    std::string path;
    for (const char* part : parts) path += std::string(1, s) + part;
    return path;
  };
  std::vector<std::string> expected = {in({"app", "lib", "a.jar"}),
                                       in({"app", "lib", "my lib.jar"}), in({"app", "x.jar"}),
                                       in({"app", "lib", "classes"})};
  if (s == '/') expected.push_back("/opt/abs.jar");
  EXPECT_EQ(classPathEntries(folder,
                             "a.jar my%20lib.jar ../x.jar ./classes/ http://host/y.jar "
                             "file:/z.jar /opt/abs.jar"),
            expected);
}

}  // namespace
}  // namespace murvo
