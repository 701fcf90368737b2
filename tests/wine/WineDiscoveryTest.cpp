// Finding the JVM through Wine's registry: keys made with `wine reg add` in
// the suite's prefix and removed again for every case.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "VirtualScreen.h"
#include "WineFolder.h"

namespace murvo::wine {

namespace {

const std::string jre = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string jdk = "SOFTWARE\\JavaSoft\\Java Development Kit";

struct Value {
  std::string key;  // below HKLM
  std::string name;
  std::string data;  // "@" stands for the launcher's folder
};

Value current(const std::string& version, const std::string& bundle = jre) {
  return {bundle, "CurrentVersion", version};
}
Value in18(const std::string& name, const std::string& data) {
  return {jre + "\\1.8", name, data};
}

std::string withFolder(std::string text, const WineFolder& folder) {
  for (std::size_t at; (at = text.find('@')) != std::string::npos;)
    text.replace(at, 1, folder.win());
  return text;
}

// `wine reg <words>`; the words hold no single quote.
bool reg(const std::vector<std::string>& words) {
  std::string command = "wine reg";
  for (const std::string& word : words) command += " '" + word + "'";
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// A launcher whose .lap holds `lap` after the test double's lines, with the
// registry holding exactly `values`.
e2e::RunResult launch(WineFolder& folder, const std::vector<Value>& values,
                      const std::string& lap) {
  reg({"delete", "HKLM\\SOFTWARE\\JavaSoft", "/f"});
  for (const Value& v : values) {
    EXPECT_TRUE(
        reg({"add", "HKLM\\" + v.key, "/v", v.name, "/d", withFolder(v.data, folder), "/f"}));
  }
  folder.writeLap(folder.fakeJvmLines() + withFolder(lap, folder));
  e2e::RunResult result = folder.run();
  reg({"delete", "HKLM\\SOFTWARE\\JavaSoft", "/f"});
  return result;
}

const std::string nothingFound =
    "No Java installation was found in the registry keys SOFTWARE\\JavaSoft, SOFTWARE\\Eclipse "
    "Adoptium, SOFTWARE\\AdoptOpenJDK, SOFTWARE\\Microsoft\\JDK and SOFTWARE\\Azul Systems\\Zulu "
    "(local machine and current user), JAVA_HOME, java and javac on PATH.\r\n";

}  // namespace

TEST(WineDiscovery, RegistryEntriesLeadToTheJvm) {
  struct Case {
    std::vector<Value> values;
    std::string lap;
    std::string jvmAt;    // where the test double lies, relative to the folder
    std::string logLine;  // "@" stands for the launcher's folder
  };
  const std::string mainCalled = "CallStaticVoidMethod demo/Main.main []";
  const Case cases[] = {
      {{current("1.8"), in18("RuntimeLib", "@\\jvm.dll")}, "", "jvm.dll", mainCalled},
      {{current("11", jdk), {jdk + "\\11", "JavaHome", "@\\jdk"}},
       "murvo.java.bundle=SDK\n",
       "jdk/jre/bin/client/jvm.dll",
       mainCalled},
      {{current("1.8"), in18("JavaHome", "@\\jre")},
       "murvo.bin.jvm.dir=server\n-Dhome=${FOUND_JAVA_HOME}\n",
       "jre/bin/server/jvm.dll",
       "option -Dhome=@\\jre"},
      {{}, "murvo.java.home.path=@\\home\n", "home/bin/client/jvm.dll", mainCalled},
      {{current("1.10"), {jre + "\\1.10", "RuntimeLib", "@\\jvm.dll"}},
       "murvo.min.java.version=1.9\nmurvo.max.java.version=1.10\n",
       "jvm.dll",
       mainCalled},
  };
  for (const Case& c : cases) {
    WineFolder folder;
    if (c.jvmAt != "jvm.dll") folder.placeJvm(c.jvmAt);
    const e2e::RunResult result = launch(folder, c.values, c.lap);
    EXPECT_EQ(result.status, 0) << c.jvmAt << result.err;
    EXPECT_NE(folder.log().find(withFolder(c.logLine, folder) + "\n"), std::string::npos)
        << c.jvmAt << folder.log();
  }
}

TEST(WineDiscovery, EveryRegistryFailureHasItsExactMessage) {
  const std::string version49(49, '1');  // with its zero byte, as long as the buffer
  const std::tuple<std::vector<Value>, std::string, std::string> cases[] = {
      {{}, "", "Error opening registry key:" + jre},
      {{current("1.8")}, "murvo.java.bundle=SDK\n", "Error opening registry key:" + jdk},
      {{{jre, "Other", "1.8"}}, "", "Error reading CurrentValue registry key value at " + jre},
      {{current(version49 + "1")}, "", "Error reading CurrentValue registry key value at " + jre},
      {{current(version49)}, "", "Error opening registry key:" + jre + "\\" + version49},
      {{current("1.4.1")},
       "murvo.max.java.version=1.4\n",
       "Incorrect current installed Java version:1.4.1"},
      {{current("1.8")}, "", "Error opening registry key:" + jre + "\\1.8"},
      {{current("1.8"), in18("RuntimeLib", "x")},
       "murvo.bin.jvm.dir=server\n",
       "Error reading JavaHome key at:" + jre + "\\1.8"},
      {{current("1.8"), in18("JavaHome", "x")},
       "",
       "Error reading RuntimeLib registry key value at:" + jre + "\\1.8"},
      {{current("1.8"), in18("RuntimeLib", std::string(5000, 'x'))},
       "",
       "Error reading RuntimeLib registry key value at:" + jre + "\\1.8"},
  };
  for (const auto& [values, lap, detail] : cases) {
    WineFolder folder;
    const e2e::RunResult result = launch(folder, values, lap);
    EXPECT_EQ(result.status, 1) << detail;
    // Nothing else is installed: the places looked at come first.
    EXPECT_EQ(result.err, nothingFound + failure(detail));
  }
}

namespace {

// A Java home as a vendor lays out a real one: bin\server\jvm.dll (the test
// double's vendor build, which needs bin\fakeruntime.dll), bin\fakeawt.dll
// that needs bin\fakeawtdep.dll, bin\java.exe, bin\javac.exe for a kit and a
// release file. A Java 8 kit keeps its runtime in jre\.
struct Home {
  std::string at;  // relative to the launcher's folder
  std::string version;
  bool java8Kit = false;
  bool withRuntime = true;  // bin\fakeruntime.dll present
  bool bits32 = false;      // jvm.dll built for 32-bit Windows
};

void place(const WineFolder& folder, const Home& home) {
  namespace fs = std::filesystem;
  const std::string bin = home.at + (home.java8Kit ? "/jre/bin" : "/bin");
  folder.makeDir(bin + "/server");
  fs::copy_file(FAKE_JVM_DIR "/vendor/jvm.dll", folder.dir() + "/" + bin + "/server/jvm.dll");
  std::vector<std::string> dlls = {"fakeawt.dll", "fakeawtdep.dll"};
  if (home.withRuntime) dlls.push_back("fakeruntime.dll");
  for (const std::string& dll : dlls) {
    fs::copy_file(FAKE_JVM_DIR "/" + dll, folder.dir() + "/" + bin + "/" + dll);
  }
  folder.makeDir(home.at + "/bin");
  folder.writeFile(home.at + "/bin/java.exe", "");
  folder.writeFile(home.at + "/bin/javac.exe", "");
  folder.writeFile(home.at + "/release", "JAVA_VERSION=\"" + home.version + "\"\n");
  if (home.bits32) {
    // IMAGE_FILE_MACHINE_I386 in the PE header's machine field.
    std::string image = e2e::readFile(folder.dir() + "/" + bin + "/server/jvm.dll");
    std::uint32_t pe;
    std::memcpy(&pe, image.data() + 0x3C, 4);
    image[pe + 4] = '\x4c', image[pe + 5] = '\x01';
    folder.writeFile(bin + "/server/jvm.dll", image);
  }
}

// A .reg file's text for `keys`: [path] lines, then "name"=value lines, where
// a value is "text", dword:n or expand:text (REG_EXPAND_SZ); "@" in a text
// stands for the launcher's folder. Every key of every vendor is removed first.
std::string regFile(const WineFolder& folder,
                    const std::vector<std::pair<std::string, std::vector<Value>>>& keys) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const char* root : {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER"}) {
    for (const char* vendor :
         {"JavaSoft", "Eclipse Adoptium", "AdoptOpenJDK", "Microsoft\\JDK", "Azul Systems"}) {
      text += "[-" + std::string(root) + "\\SOFTWARE\\" + vendor + "]\r\n";
    }
  }
  const auto quoted = [](std::string data) {
    for (std::size_t at = 0; (at = data.find('\\', at)) != std::string::npos; at += 2) {
      data.insert(at, 1, '\\');
    }
    return "\"" + data + "\"";
  };
  for (const auto& [key, values] : keys) {
    text += "\r\n[" + key + "]\r\n";
    for (const Value& v : values) {
      std::string data = withFolder(v.data, folder);
      if (data.starts_with("expand:")) {
        // A .reg file in single bytes holds the data in the ANSI code page.
        std::string hex = "hex(2):";
        for (char c : data.substr(7) + '\0') {
          char pair[8];
          std::snprintf(pair, sizeof pair, "%02x,", static_cast<unsigned char>(c));
          hex += pair;
        }
        hex.pop_back();
        data = hex;
      } else if (!data.starts_with("dword:")) {
        data = quoted(data);
      }
      text += "\"" + v.name + "\"=" + data + "\r\n";
    }
  }
  return text;
}

}  // namespace

// Every Java of today is found: each vendor's registry layout, JAVA_HOME and
// PATH, with the described JavaSoft lookup kept wherever it succeeds, and the
// runtime DLLs of the chosen home found while the current directory's are not.
TEST(WineDiscovery, EveryCurrentJavaIsFoundAndItsOwnDllsAreLoaded) {
  const std::string lm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\";
  const std::string jre8Key = lm + "JavaSoft\\Java Runtime Environment";
  const Home temurin{"temurin", "21.0.2"}, jdk17{"jdk17", "17.0.10"}, jre8{"jre8", "1.8.0_401"};
  const std::vector<std::pair<std::string, std::vector<Value>>> temurinKey = {
      {lm + "Eclipse Adoptium\\JDK\\21.0.2.13\\hotspot\\MSI", {{"", "Path", "@\\temurin\\"}}}};
  const std::vector<std::pair<std::string, std::vector<Value>>> java8Keys = {
      {jre8Key, {{"", "CurrentVersion", "1.8"}}},
      {jre8Key + "\\1.8",
       {{"", "JavaHome", "@\\jre8"}, {"", "RuntimeLib", "@\\jre8\\bin\\server\\jvm.dll"}}}};
  const auto plus = [](auto a, const auto& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  };
  struct Case {
    const char* what;
    std::vector<Home> homes;
    std::vector<std::pair<std::string, std::vector<Value>>> keys;
    std::vector<std::string> environment;  // "@" stands for the launcher's folder
    std::string lap;
    std::string ran;  // the home whose jvm.dll ran, or the message
  } cases[] = {
      {"Oracle JDK 9 and later",
       {{"jdk21", "21.0.2"}},
       {{lm + "JavaSoft\\JDK", {{"", "CurrentVersion", "21"}}},
        {lm + "JavaSoft\\JDK\\21", {{"", "JavaHome", "@\\jdk21"}}}},
       {},
       "",
       "jdk21"},
      {"Oracle JRE 10",
       {{"jre10", "10.0.2"}},
       {{lm + "JavaSoft\\JRE\\10.0.2", {{"", "JavaHome", "@\\jre10"}}}},
       {},
       "",
       "jre10"},
      {"Eclipse Temurin", {temurin}, temurinKey, {}, "", "temurin"},
      {"AdoptOpenJDK's OpenJ9 runtime",
       {{"adopt", "11.0.10"}},
       {{lm + "AdoptOpenJDK\\JRE\\11.0.10.9\\openj9\\MSI", {{"", "Path", "@\\adopt"}}}},
       {},
       "",
       "adopt"},
      {"Microsoft Build of OpenJDK",
       {jdk17},
       {{lm + "Microsoft\\JDK\\17.0.10.7\\hotspot\\MSI", {{"", "Path", "@\\jdk17\\"}}}},
       {},
       "",
       "jdk17"},
      {"Azul Zulu",
       {{"zulu", "17.0.9"}},
       {{lm + "Azul Systems\\Zulu\\zulu-17", {{"", "InstallationPath", "@\\zulu\\"}}}},
       {},
       "",
       "zulu"},
      {"the current user's key, a path to expand, a number that is no path",
       {jdk17},
       {{lm + "JavaSoft\\JDK\\21", {{"", "JavaHome", "dword:00000015"}}},
        {"HKEY_CURRENT_USER\\SOFTWARE\\JavaSoft\\JDK\\17",
         {{"", "JavaHome", "expand:%MURVO_TEST_ROOT%\\jdk17"}}}},
       {"MURVO_TEST_ROOT=@"},
       "",
       "jdk17"},
      {"JAVA_HOME alone", {jdk17}, {}, {"JAVA_HOME=@\\jdk17"}, "", "jdk17"},
      {"java.exe on PATH alone", {jdk17}, {}, {"WINEPATH=@\\jdk17\\bin"}, "", "jdk17"},
      {"a 32-bit Java on JAVA_HOME is left out",
       {temurin, {"x86", "22", false, true, true}},
       temurinKey,
       {"JAVA_HOME=@\\x86"},
       "",
       "temurin"},
      {"Java 8 current and in range is kept",
       {jre8, temurin},
       plus(java8Keys, temurinKey),
       {},
       "",
       "jre8"},
      {"Java 8 current but out of range",
       {jre8, temurin},
       plus(java8Keys, temurinKey),
       {},
       "murvo.min.java.version=11\n",
       "temurin"},
      {"a stale Java 8 entry", {temurin}, plus(java8Keys, temurinKey), {}, "", "temurin"},
      {"several with a minimum and a maximum",
       {{"jdk11", "11.0.22"}, jdk17, {"jdk21", "21.0.2"}},
       {{lm + "JavaSoft\\JDK\\11", {{"", "JavaHome", "@\\jdk11"}}},
        {lm + "JavaSoft\\JDK\\17", {{"", "JavaHome", "@\\jdk17"}}},
        {lm + "JavaSoft\\JDK\\21", {{"", "JavaHome", "@\\jdk21"}}}},
       {},
       "murvo.min.java.version=12\nmurvo.max.java.version=17.0.99\n",
       "jdk17"},
      {"all out of range",
       {jdk17, {"jdk11", "11.0.22"}},
       {{lm + "JavaSoft\\JDK\\11", {{"", "JavaHome", "@\\jdk11"}}}},
       {"JAVA_HOME=@\\jdk17"},
       "murvo.min.java.version=21\n",
       failure("Incorrect current installed Java version:17.0.10")},
      {"all out of range, with a page to get one",
       {jdk17, {"jdk11", "11.0.22"}},
       {{lm + "JavaSoft\\JDK\\11", {{"", "JavaHome", "@\\jdk11"}}}},
       {"JAVA_HOME=@\\jdk17"},
       "murvo.min.java.version=21\nmurvo.java.download.url=https://example.com/java\n",
       "Error in Java launcher. This program needs Java 21 or later (x64). Found:\n"
       "Java 11.0.22 at @\\jdk11: older than 21\nJava 17.0.10 at @\\jdk17: older than 21\n"
       "Get a suitable Java at https://example.com/java\r\n"},
      {"nothing installed",
       {},
       {},
       {},
       "",
       nothingFound + failure("Error opening registry key:SOFTWARE\\JavaSoft\\Java Runtime "
                              "Environment")},
      {"a bundled runtime beside the application",
       {{"runtime", "21.0.2"}},
       {},
       {},
       "murvo.java.home.path=${SELF_HOME}\\runtime\n",
       "runtime"},
      {"a Java 8 development kit with its jre folder",
       {{"jdk8", "1.8.0_401", true}},
       {{lm + "JavaSoft\\Java Development Kit", {{"", "CurrentVersion", "1.8"}}},
        {lm + "JavaSoft\\Java Development Kit\\1.8", {{"", "JavaHome", "@\\jdk8"}}}},
       {},
       "murvo.java.bundle=SDK\n",
       "jdk8/jre"},
      {"a runtime DLL in the current directory is never loaded",
       {{"jdk21", "21.0.2", false, false}},
       {},
       {"JAVA_HOME=@\\jdk21"},
       "",
       // Its reason: a DLL that jvm.dll needs is missing.
       "@\\jdk21\\bin\\server\\jvm.dll: Module not found. (error 126)\r\n" +
           failure("Error while launching program with JVM.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WineFolder folder;
    for (const Home& home : c.homes) place(folder, home);
    folder.makeDir("cwd");
    std::filesystem::copy_file(FAKE_JVM_DIR "/fakeruntime.dll",
                               folder.dir() + "/cwd/fakeruntime.dll");
    folder.startIn("cwd");
    folder.writeFile("keys.reg", regFile(folder, c.keys));
    ASSERT_TRUE(reg({"import", folder.win("keys.reg")}));
    std::vector<std::string> environment;
    for (const std::string& variable : c.environment) {
      environment.push_back(withFolder(variable, folder));
    }
    folder.writeLap(folder.fakeJvmLines() + "-Dfakejvm.load=fakeawt\n" + c.lap);
    const e2e::RunResult result = folder.run({}, environment);
    if (c.ran.find("Error in Java launcher.") != std::string::npos) {
      EXPECT_EQ(result.status, 1);
      EXPECT_EQ(result.err, withFolder(c.ran, folder));
      continue;
    }
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string bin = c.ran == "jdk8/jre" ? "jdk8/jre/bin" : c.ran + "/bin";
    EXPECT_EQ(folder.logLine("runtime 140 of "), folder.win(bin + "/server/jvm.dll"));
    EXPECT_EQ(folder.logLine("LoadLibrary fakeawt"), " loaded");
    EXPECT_EQ(folder.logLine("CallStaticVoidMethod demo/Main.main "), "[]");
    folder.writeFile("keys.reg", regFile(folder, {}));
    reg({"import", folder.win("keys.reg")});
  }
}

// murvo.exe on a screen: the message box shows the Java needed and the page,
// and asks whether to open it; No leaves it, Yes hands the address to the
// system's browser (here a stand-in registered as Wine's browser).
TEST(WineDiscovery, MessageBoxOpensTheDownloadPageOnYes) {
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "no xdotool";
  // A desktop of its own on the screen: Wine's shared desktop of the other
  // tests has none.
  const std::string program = "murvo-box";
  const std::string appKey = "HKCU\\Software\\Wine\\AppDefaults\\" + program + ".exe\\Explorer";
  ASSERT_TRUE(reg({"add", appKey, "/v", "Desktop", "/d", program, "/f"}));
  ASSERT_TRUE(reg(
      {"add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", program, "/d", "600x400", "/f"}));
  WineFolder folder(program + ".exe");
  e2e::VirtualScreen screen;
  if (screen.name().empty()) GTEST_SKIP() << "no X server (Xvfb) could start";
  folder.placeJvm("jdk17/bin/server/jvm.dll");
  folder.writeFile("jdk17/release", "JAVA_VERSION=\"17.0.10\"\n");
  const std::string opened = folder.dir() + "/opened";
  folder.writeFile("browser", "#!/bin/sh\necho \"$@\" >> " + opened + "\n");
  std::filesystem::permissions(folder.dir() + "/browser", std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string browserKey = "HKCU\\Software\\Wine\\WineBrowser";
  ASSERT_TRUE(reg({"add", browserKey, "/v", "Browsers", "/d", folder.dir() + "/browser", "/f"}));
  folder.writeLap(folder.fakeJvmLines() +
                  "murvo.min.java.version=21\nmurvo.java.download.url=https://example.com/java\n");
  const std::string message =
      "Error in Java launcher. This program needs Java 21 or later (x64). Found:\nJava 17.0.10 "
      "at " +
      folder.win("jdk17") + ": older than 21\nGet a suitable Java at https://example.com/java\r\n";
  // The keys of the box's buttons: "n" for No, Return for Yes, its default.
  for (const std::string key : {"n", "Return"}) {
    SCOPED_TRACE(key);
    e2e::Process process =
        folder.start({}, {"DISPLAY=" + screen.name(), "JAVA_HOME=" + folder.win("jdk17")});
    // Mapped on the screen (a first start on a new desktop takes a while):
    // the box takes keys from then on.
    const std::string visibleBox =
        "DISPLAY=" + screen.name() + " xdotool search --onlyvisible --name '^Error$'";
    bool shown = false;
    for (int i = 0; i < 600 && !shown; ++i) {
      shown = !commandOutput(visibleBox).empty();
      if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(shown) << screen.windows();
    EXPECT_NE(screen.windows().find("\"Error\": (\"" + program + ".exe\""), std::string::npos);
    std::system(("DISPLAY=" + screen.name() + " xdotool key " + key).c_str());
    const e2e::RunResult result = process.wait(30);
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(result.err.ends_with(message)) << result.err;
  }
  // The browser runs on its own: the launcher may have ended before it.
  EXPECT_TRUE(e2e::awaitCount([&] { return e2e::readFile(opened); }, "https://", 1));
  EXPECT_EQ(e2e::readFile(opened), "https://example.com/java\n");
  reg({"delete", browserKey, "/f"});
  reg({"delete", appKey, "/f"});
}

}  // namespace murvo::wine
