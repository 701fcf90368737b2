// The Windows launcher under Wine: the command line as Windows hands it over,
// the .lap file found from GetModuleFileNameA, jar folders listed with
// _findfirst, the JVM library loaded with LoadLibraryA, and every failure on
// standard error with status 1.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "WineFolder.h"

namespace murvo::wine {

const std::string mainCall = "CallStaticVoidMethod demo/Main.main ";

TEST(WineLaunch, ArgumentsAreSplitFromTheCommandLineThatWineBuilds) {
  // wine quotes an argument with a blank or tab, escapes its inner quotes as
  // \" and doubles backslashes before a closing quote; code page 1252 turns é
  // into 0xE9 and € into 0x80, which reach main as U+00E9 and U+20AC.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "[]"},
      {{"a", "b c", "d\te"}, "[a|b c|d\te]"},
      {{"say \"hi\" now"}, "[say \"hi\" now]"},
      {{"q\"uote"}, "[q\\uote]"},
      {{"C:\\dir\\file.txt", "", "x"}, "[C:\\dir\\file.txt|x]"},
      {{"a b\\", "c"}, "[a b\\\" c]"},
      {{"\xC3\xA9t\xC3\xA9", "caf\xC3\xA9", "\xE2\x82\xAC"},
       "[\xC3\xA9t\xC3\xA9|caf\xC3\xA9|\xE2\x82\xAC]"},
  };
  for (const auto& [args, expected] : cases) {
    WineFolder folder;
    folder.writeLap(folder.lap());
    EXPECT_EQ(folder.run(args).status, 0) << expected;
    EXPECT_EQ(folder.logLine(mainCall), expected);
  }
}

TEST(WineLaunch, LapFileIsTheExecutablesPathWithExeReplaced) {
  for (std::string name : {"app.exe", "APP.EXE", "Tool.Exe"}) {
    WineFolder folder(name);
    folder.writeFile(name.replace(name.size() - 4, 4, ".lap"), folder.lap());
    EXPECT_EQ(folder.run().status, 0) << name;
    EXPECT_EQ(folder.logLine(mainCall), "[]") << name;
  }
  WineFolder folder;  // and a copy in its bin folder, which SELF_HOME leaves out
  folder.makeDir("bin");
  std::filesystem::copy_file(MURVO_LAUNCHER, folder.dir() + "/bin/app.exe");
  folder.writeFile("bin/app.lap", folder.lap("-Dhome=${SELF_HOME}\n-Dexe=${FOUND_EXE_FOLDER}\n"));
  ASSERT_EQ(std::system(("wine '" + folder.dir() + "/bin/app.exe' 2>/dev/null").c_str()), 0);
  EXPECT_EQ(folder.logLine("option -Dhome="), folder.win());
  EXPECT_EQ(folder.logLine("option -Dexe="), folder.win("bin"));
}

TEST(WineLaunch, JarFoldersJoinTheClassPathWithSemicolons) {
  WineFolder folder;
  for (const char* file : {"lib/a.jar", "lib/B.JAR", "lib/readme.txt", "more/z.jar"}) {
    folder.makeDir(std::filesystem::path(file).parent_path());
    folder.writeFile(file, "");
  }
  folder.makeDir("lib/old.jar");
  folder.writeLap(
      folder.lap("murvo.classpath.jars.dir=${SELF_HOME}\\lib\nmurvo.classpath.jars.dir=${SELF_HOME}"
                 "\\more\\\n"));
  ASSERT_EQ(folder.run().status, 0);
  // The folders in the order of their lines, each in the order of its listing.
  const std::string a = folder.win("lib/a.jar"), b = folder.win("lib/B.JAR");
  const std::string classPath = folder.logLine("option -Djava.class.path=");
  const std::string z = ";" + folder.win("more/z.jar");
  EXPECT_TRUE(classPath == a + ";" + b + z || classPath == b + ";" + a + z) << classPath;
}

TEST(WineLaunch, FailuresAreReportedOnStandardErrorWithStatusOne) {
  WineFolder noLap;
  const std::pair<std::string, std::string> cases[] = {
      {"-Dfakejvm.fail=create", "Cannot create Java VM"},
      {"murvo.main.class=demo.Missing", "Cannot find main Java class demo/Missing"},
      {"-Dfakejvm.fail=getstaticmethodid", "Cannot find main method in Java class"},
      {"-Dfakejvm.fail=newobjectarray", "Out of memory error in Java launcher"},
      {"murvo.jvm.path=" + noLap.win("jvm\\jvm.dll"), "Error while launching program with JVM."},
      {"murvo.jvm.path=C:\\windows\\system32\\version.dll",
       "Error while launching program with JVM."},
  };
  for (const auto& [line, detail] : cases) {
    WineFolder folder;
    folder.writeLap(folder.lap(line + "\n"));
    const e2e::RunResult result = folder.run({"x"});
    EXPECT_EQ(result.status, 1) << line;
    EXPECT_EQ(result.err, failure(detail)) << line;
  }
  const e2e::RunResult result = noLap.run();
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, failure("Could not open file " + noLap.win("app.lap")));
}

TEST(WineLaunch, LaunchMakesTheJniCallsInOrderAndEndsWithMainsStatus) {
  WineFolder folder;
  folder.writeLap(folder.lap("murvo.trap.console.ctrl=yes\n-Xmx64m\n"));
  const e2e::RunResult result = folder.run({"a", "b c"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(folder.log(),
            "JNI_CreateJavaVM version=0x10002 nOptions=3 ignoreUnrecognized=0\n"
            "option -Dfakejvm.log=" +
                folder.win("jvm.log") +
                "\n"
                "option -Dfakejvm.classes=demo/Main\n"
                "option -Xmx64m\n"
                "FindClass demo/Main\n"
                "GetStaticMethodID demo/Main main ([Ljava/lang/String;)V\n"
                "NewStringUTF \n"
                "FindClass java/lang/String\n"
                "NewObjectArray 2 java/lang/String\n"
                "NewString a\n"
                "SetObjectArrayElement 0 a\n"
                "NewString b c\n"
                "SetObjectArrayElement 1 b c\n"
                "CallStaticVoidMethod demo/Main.main [a|b c]\n"
                "DestroyJavaVM\n");
  WineFolder exiting;
  exiting.writeLap(exiting.lap("-Dfakejvm.main=exit:3\n"));
  EXPECT_EQ(exiting.run().status, 3);
}

// Ctrl+C while the VM is destroyed, with an initiateExit that never returns
// (System.exit in a VM that shuts down): the launch still ends with main's
// status, and no call reaches the VM after DestroyJavaVM (the test double
// would say so on standard error). Wine turns SIGINT into Ctrl+C for a
// program whose standard input is a terminal.
TEST(WineLaunch, CtrlCWhileTheVmIsDestroyedEndsTheLaunchWithMainsStatus) {
  const int terminal = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(terminal >= 0 && grantpt(terminal) == 0 && unlockpt(terminal) == 0);
  WineFolder folder;
  folder.setInput(ptsname(terminal));
  folder.writeLap(folder.lap(
      "murvo.trap.console.ctrl=yes\n-Dfakejvm.main=slow-destroy\n-Dfakejvm.initiateexit=block\n"));
  e2e::Process process = folder.start({});
  const auto log = [&] { return folder.log(); };
  ASSERT_TRUE(e2e::awaitCount(log, "DestroyJavaVM", 1));
  process.signal(SIGINT);
  ASSERT_TRUE(e2e::awaitCount(log, "CallStaticVoidMethod demo/Main.initiateExit 0", 1));
  const e2e::RunResult result = process.wait(10);
  close(terminal);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
}

TEST(WineLaunch, ExecutableIsAStaticGuiProgramWithManifestAndVersion) {
  std::string headers(1 << 16, '\0');
  FILE* objdump = popen((std::string(MINGW_OBJDUMP) + " -p '" + MURVO_LAUNCHER + "'").c_str(), "r");
  headers.resize(objdump ? std::fread(headers.data(), 1, headers.size(), objdump) : 0);
  if (objdump) pclose(objdump);
  EXPECT_NE(headers.find("(Windows GUI)"), std::string::npos);
  for (std::size_t at = 0; (at = headers.find("DLL Name: ", at)) != std::string::npos;) {
    const std::string dll = headers.substr(at + 10, headers.find('\n', at) - at - 10);
    EXPECT_TRUE(dll == "KERNEL32.dll" || dll == "msvcrt.dll" || dll == "USER32.dll" ||
                dll == "ADVAPI32.dll")
        << dll;
    at += 10;
  }
  const std::string image = e2e::readFile(MURVO_LAUNCHER);
  EXPECT_NE(image.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  const std::string versionKey("P\0r\0o\0d\0u\0c\0t\0V\0e\0r\0s\0i\0o\0n\0", 28);
  EXPECT_NE(image.find(versionKey), std::string::npos);
}

}  // namespace murvo::wine
