// Branded copies made by murvo-stamp (the Linux build's, and the Windows
// build's under Wine), checked by what Windows itself reads of them, and
// started as the program they brand.
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "WineFolder.h"

namespace murvo::wine {

namespace {

std::string quoted(const std::string& text) {
  return "'" + text + "'";
}

}  // namespace

TEST(WineStamp, BrandedCopiesShowTheirIconAndVersionAndStartTheirProgram) {
  const std::string product =
      "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";  // Café 日本 😀
  // The launcher to brand, the stamping command, the subsystem it keeps.
  const std::tuple<std::string, std::string, std::string> cases[] = {
      {MURVO_LAUNCHER, MURVO_STAMP, "(Windows GUI)"},
      {MURVO_CONSOLE_LAUNCHER, "wine " MURVO_STAMP_EXE, "(Windows CUI)"},
  };
  for (const auto& [launcher, stamp, subsystem] : cases) {
    WineFolder folder("shop.exe", launcher);
    const bool underWine = stamp.starts_with("wine");
    const auto path = [&](const std::string& unixPath) {
      return quoted(underWine ? windowsPath(unixPath) : unixPath);
    };
    const std::string command = stamp + " --icon " + path(HELLO_ICON) +
                                " --version 2.10.0.65535 --product '" + product +
                                "' --company 'Acme Ltd' --description 'The shop'"
                                " --copyright '\xC2\xA9 2026 Acme' " +
                                path(launcher) + " " + path(folder.exePath());
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    EXPECT_EQ(commandOutput("wine " SHOW_FILE_INFO " " + quoted(folder.win("shop.exe"))),
              "FileVersion(numeric)=2.10.0.65535\n"
              "CompanyName=Acme Ltd\n"
              "FileDescription=The shop\n"
              "FileVersion=2.10.0.65535\n"
              "InternalName=shop.exe\n"
              "LegalCopyright=\xC2\xA9 2026 Acme\n"
              "OriginalFilename=shop.exe\n"
              "ProductName=" +
                  product +
                  "\n"
                  "ProductVersion=2.10.0.65535\n"
                  "icons=1\n"
                  "images=16x16 32x32 48x48\n")
        << launcher;
    EXPECT_NE(peHeaders(folder.exePath()).find(subsystem), std::string::npos) << launcher;
    EXPECT_EQ(importedDlls(folder.exePath()), importedDlls(launcher)) << launcher;

    // A source that is no executable: one line on standard error, status 1, no target.
    std::string refusal = commandOutput(stamp + " " + path(HELLO_ICON) + " " +
                                        path(folder.dir() + "/bad.exe") + " 2>&1; echo $?");
    std::erase(refusal, '\r');
    EXPECT_EQ(refusal, "murvo-stamp: " + (underWine ? windowsPath(HELLO_ICON) : HELLO_ICON) +
                           " is not a PE executable\n1\n");
    EXPECT_FALSE(std::filesystem::exists(folder.dir() + "/bad.exe"));

    folder.writeLap(folder.lap());
    const e2e::RunResult result = folder.run({"a b"});
    EXPECT_EQ(result.status, 0) << launcher;
    EXPECT_EQ(folder.logLine("CallStaticVoidMethod demo/Main.main "), "[a b]") << launcher;
  }
}

}  // namespace murvo::wine
