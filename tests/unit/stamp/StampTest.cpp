// murvo-stamp's resource writer on the launcher executables of the Windows
// build, and its refusal of bad input.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ByteReader.h"
#include "PeImage.h"
#include "StampCommand.h"
#include "TestSupport.h"

namespace murvo::stamp {

namespace {

const std::string guiLauncher = STAMP_GUI_LAUNCHER;
const std::string consoleLauncher = STAMP_CONSOLE_LAUNCHER;
const std::string library = STAMP_LIBRARY;

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

PeImage load(const std::string& path) {
  return PeImage(readBytes(path), path);
}

std::string_view content(const PeImage& image, const PeSection& section) {
  return std::string_view(image.bytes()).substr(section.rawPointer, section.rawSize);
}

std::size_t countOfType(const ResourceTree& tree, std::uint16_t type) {
  std::size_t count = 0;
  for (const auto& [key, data] : tree.entries()) count += key.type == ResourceName{type, {}};
  return count;
}

// The bytes of an executable with an Authenticode certificate table: an
// empty WIN_CERTIFICATE (length 8, revision 2.0, PKCS#7) appended at an
// 8-byte boundary and named by the security entry of the data directories.
std::string signedCopy(std::string bytes) {
  const auto put32 = [&](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
  };
  bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
  const std::size_t table = bytes.size();
  bytes += std::string("\x08\0\0\0\0\x02\x02\0", 8);
  const std::size_t peAt = ByteReader(bytes, "").u32(0x3C);
  const std::size_t securityEntry = peAt + 24 + 112 + 4 * 8;  // PE32+: the fifth directory
  put32(securityEntry, static_cast<std::uint32_t>(table));
  put32(securityEntry + 4, 8);
  return bytes;
}

std::vector<std::string> listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(Stamp, BrandedCopyKeepsAllButIconsAndVersionAndCanBeBrandedAgain) {
  if (guiLauncher.empty()) GTEST_SKIP() << "no Windows build given (MURVO_WINDOWS_BUILD_DIR)";
  const test::TempDir dir;
  std::string oneImage = readBytes(HELLO_ICON);
  oneImage[4] = 1;  // the icon's first image alone
  const std::string smallIcon = dir.write("small.ico", oneImage);
  for (const std::string& launcher : {guiLauncher, consoleLauncher}) {
    const PeImage source = load(launcher);
    const std::string once = dir.file("once.exe"), twice = dir.file("twice.exe");
    std::string message;
    ASSERT_EQ(stampMain({"--icon", HELLO_ICON, "--version", "1.2.3.4", "--product", "Shop",
                         launcher, once},
                        message),
              0)
        << message;
    ASSERT_EQ(stampMain({"--icon", smallIcon, "--version", "5.6.7.8", once, twice}, message), 0)
        << message;
    for (const auto& [target, images, version] :
         {std::tuple{once, 3u, 0x00010002u}, std::tuple{twice, 1u, 0x00050006u}}) {
      const PeImage copy = load(target);
      EXPECT_EQ(copy.subsystem(), source.subsystem()) << target;
      EXPECT_EQ(copy.checkSum(), copy.computedCheckSum()) << target;
      ASSERT_EQ(copy.sections().size(), source.sections().size());
      for (std::size_t i = 0; i < copy.sections().size(); ++i) {
        EXPECT_EQ(copy.sections()[i].name, source.sections()[i].name);
        if (copy.sections()[i].name != ".rsrc") {
          EXPECT_EQ(content(copy, copy.sections()[i]), content(source, source.sections()[i]))
              << launcher << " " << copy.sections()[i].name;
        }
      }
      ResourceTree resources = copy.resources();
      EXPECT_EQ(countOfType(resources, iconType), images) << target;
      EXPECT_EQ(countOfType(resources, iconGroupType), 1u) << target;
      ASSERT_EQ(countOfType(resources, versionType), 1u) << target;
      // The file version's high half, after the header and the key.
      const auto isVersion = [](const auto& entry) {
        return entry.first.type == ResourceName{versionType, {}};
      };
      const auto& versionData =
          std::find_if(resources.entries().begin(), resources.entries().end(), isVersion)->second;
      EXPECT_EQ(ByteReader(versionData.bytes, "short").u32(48), version) << target;
      // Everything else, the manifest first of all, is the source's.
      ResourceTree kept = source.resources();
      for (ResourceTree* tree : {&resources, &kept}) {
        for (std::uint16_t type : {iconType, iconGroupType, versionType}) tree->removeType(type);
      }
      EXPECT_EQ(countOfType(kept, manifestType), 1u);
      EXPECT_EQ(resources.entries(), kept.entries()) << target;
    }
  }
}

TEST(Stamp, BadInputIsRefusedInOneLineAndLeavesNoTarget) {
  if (guiLauncher.empty()) GTEST_SKIP() << "no Windows build given (MURVO_WINDOWS_BUILD_DIR)";
  const test::TempDir dir;
  const std::string text = dir.write("notes.txt", "plain text\n");
  const std::string truncated = dir.write("cut.exe", readBytes(guiLauncher).substr(0, 1000));
  const std::string cutIcon = dir.write("cut.ico", readBytes(HELLO_ICON).substr(0, 2000));
  const std::string missing = dir.file("missing.exe");
  const std::string signedSource = dir.write("signed.exe", signedCopy(readBytes(guiLauncher)));
  const std::string target = dir.file("out.exe");
  const std::string usage =
      "usage: murvo-stamp [--icon FILE.ico] [--version A.B.C.D] [--product TEXT] [--company TEXT] "
      "[--description TEXT] [--copyright TEXT] SOURCE.exe TARGET.exe";
  const auto badVersion = [](const std::string& version) {
    return "--version needs four numbers of at most 65535 (A.B.C.D), not '" + version + "'";
  };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--version", "1.2.3", guiLauncher, target}, badVersion("1.2.3")},
      {{"--version", "1.2.3.65536", guiLauncher, target}, badVersion("1.2.3.65536")},
      {{"--version", "1.2.3.4.5", guiLauncher, target}, badVersion("1.2.3.4.5")},
      {{"--version", "1.2..4", guiLauncher, target}, badVersion("1.2..4")},
      {{"--version", "1.+2.3.4", guiLauncher, target}, badVersion("1.+2.3.4")},
      {{"--icon", text, guiLauncher, target}, text + " is not an .ico file"},
      {{"--icon", cutIcon, guiLauncher, target}, cutIcon + " is not an .ico file"},
      {{"--icon", missing, guiLauncher, target}, "cannot read " + missing + ": no such file"},
      {{text, target}, text + " is not a PE executable"},
      {{truncated, target}, truncated + " is truncated"},
      {{missing, target}, "cannot read " + missing + ": no such file"},
      {{dir.path(), target}, dir.path() + " is not a file"},
      {{library, target}, library + " is not an executable program"},
      {{signedSource, target},
       signedSource + " is signed: brand the unsigned executable, then sign the copy"},
      {{"--product", "caf\xE9", guiLauncher, target}, "ProductName is not UTF-8 text"},
      {{"--colour", "red", guiLauncher, target}, "unknown option --colour; " + usage},
      {{guiLauncher, target, "--company"}, "--company needs a value; " + usage},
      {{guiLauncher}, usage},
      {{guiLauncher, dir.file("no/folder/out.exe")},
       "cannot write " + dir.file("no/folder/out.exe") + ": No such file or directory"},
  };
  const std::vector<std::string> before = listing(dir.path());
  for (const auto& [args, expected] : cases) {
    std::string message;
    EXPECT_EQ(stampMain(args, message), 1) << expected;
    EXPECT_EQ(message, expected);
    EXPECT_EQ(listing(dir.path()), before) << expected;
  }
}

// A repeated option counts with its last value; a target that cannot be
// written says why.
TEST(Stamp, LastOfARepeatedOptionWinsAndAnUnwritableTargetSaysWhy) {
  const StampOptions options = parseStampOptions(
      {"--product", "A", "--icon", "a.ico", "--product", "B", "--icon", "b.ico", "s.exe", "t.exe"});
  EXPECT_EQ(options.strings,
            (std::vector<std::pair<std::string, std::string>>{{"ProductName", "B"}}));
  EXPECT_EQ(options.icon, "b.ico");
  if (guiLauncher.empty()) GTEST_SKIP() << "no Windows build given (MURVO_WINDOWS_BUILD_DIR)";
  const test::TempDir dir;
  std::string message;
  EXPECT_EQ(stampMain({guiLauncher, dir.path()}, message), 1);
  EXPECT_TRUE(message.starts_with("cannot write " + dir.path() + ": ")) << message;
  EXPECT_GT(message.size(), ("cannot write " + dir.path() + ": ").size()) << message;
}

}  // namespace murvo::stamp
