// Finding the JVM through Wine's registry: keys made with `wine reg add` in
// the suite's prefix and removed again for every case.
#include <cstdlib>
#include <vector>

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
    EXPECT_EQ(result.err, failure(detail));
  }
}

}  // namespace murvo::wine
