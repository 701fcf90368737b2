// The Windows launcher under Wine: the command line as Windows hands it over,
// the .lap file found from GetModuleFileNameA, jar folders listed with
// _findfirst, the JVM library loaded with LoadLibraryA, and every failure on
// standard error with status 1; for the GUI launcher and its console twin alike.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>
#include <vector>

#include "WineFolder.h"

namespace murvo::wine {

const std::string mainCall = "CallStaticVoidMethod demo/Main.main ";

TEST(WineLaunch, ArgumentsAreSplitFromTheCommandLineThatWineBuilds) {
  // wine quotes an argument with a blank or tab, escapes its inner quotes as
  // \" and doubles backslashes before a closing quote; every character reaches
  // main, whatever the code page can hold.
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, "[]"},
      {{"a", "b c", "d\te"}, "[a|b c|d\te]"},
      {{"say \"hi\" now"}, "[say \"hi\" now]"},
      {{"q\"uote", "x"}, "[q\"uote|x]"},
      {{"C:\\dir\\file.txt", "", "x"}, "[C:\\dir\\file.txt|x]"},
      {{"a b\\", "c"}, "[a b\\\" c]"},
      {{"\xC3\xA9t\xC3\xA9", "caf\xC3\xA9", "\xE2\x82\xAC"},
       "[\xC3\xA9t\xC3\xA9|caf\xC3\xA9|\xE2\x82\xAC]"},
      {{"Привет", "日本 語", "İ"}, "[Привет|日本 語|İ]"},
  };
  for (const std::string& launcher : launchers) {
    for (const auto& [args, expected] : cases) {
      WineFolder folder("app.exe", launcher);
      folder.writeLap(folder.lap());
      EXPECT_EQ(folder.run(args).status, 0) << launcher << " " << expected;
      EXPECT_EQ(folder.logLine(mainCall), expected) << launcher;
    }
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

TEST(WineLaunch, RelativeJvmPathIsTakenFromTheExecutablesFolder) {
  WineFolder folder;
  folder.placeJvm("jvmdir/jvm.dll");
  folder.makeDir("elsewhere");
  folder.startIn("elsewhere");
  folder.writeLap("murvo.jvm.path=jvmdir\\jvm.dll\n" + folder.fakeJvmLines());
  EXPECT_EQ(folder.run().status, 0);
  EXPECT_EQ(folder.logLine(mainCall), "[]");
}

// An application in a Cyrillic folder under a Cyrillic name, with a jar of a
// Japanese name: every path, value and message keeps its characters.
TEST(WineLaunch, EveryCharacterSurvivesInPathsValuesAndMessages) {
  const std::string bin = "Программы/Магазин/bin";
  WineFolder folder(bin + "/магазин.exe");
  const e2e::RunResult noLap = folder.run();
  EXPECT_EQ(noLap.err, failure("Could not open file " + folder.win(bin + "/магазин.lap")));
  folder.makeDir("Программы/Магазин/lib");
  folder.writeFile("Программы/Магазин/lib/日本.jar", "");
  folder.writeLap(
      folder.lap("-Dhome=${SELF_HOME}\n-Dv=café\n"
                 "murvo.classpath.jars.dir=${SELF_HOME}\\lib\n"));
  ASSERT_EQ(folder.run({"Ж"}).status, 0);
  EXPECT_EQ(folder.logLine("option -Dhome="), folder.win("Программы/Магазин"));
  EXPECT_EQ(folder.logLine("option -Dv="), "café");
  EXPECT_EQ(folder.logLine("option -Djava.class.path="),
            folder.win("Программы/Магазин/lib/日本.jar"));
  EXPECT_EQ(folder.logLine(mainCall), "[Ж]");
}

// A runnable jar in a folder of non-ASCII names: its manifest is read through
// the wide file functions, and its class path and options reach the VM. Its
// Launcher-Agent-Class reaches the Java home's instrument.dll in a jar of the
// user's temporary folder; on Java 21 the VM is told not to warn of it.
TEST(WineLaunch, RunnableJarIsReadFromAFolderOfAnyName) {
  const std::string home = "Программы/Магазин";
  WineFolder folder(home + "/bin/магазин.exe");
  for (const char* file : {"app.jar", "lib/library.jar", "badagent.jar"}) {
    folder.makeDir(std::filesystem::path(home + "/日本/" + file).parent_path());
    folder.writeFile(home + "/日本/" + file, e2e::readFile(e2e::javaJars() + "/" + file));
  }
  folder.makeDir(home + "/日本/more");
  folder.placeJvm("java/bin/server/jvm.dll");
  folder.writeFile("java/release", "JAVA_VERSION=\"21.0.2\"\n");
  std::filesystem::copy_file(FAKE_INSTRUMENT_LIBRARY, folder.dir() + "/java/bin/instrument.dll");
  const std::string lap = "murvo.jvm.path=" + folder.win("java/bin/server/jvm.dll") +
                          "\n-Dfakejvm.log=" + folder.win("jvm.log") +
                          "\n-Dfakejvm.classes=demo/JarMain\nmurvo.jar=${SELF_HOME}\\日本\\";
  folder.writeLap(lap + "app.jar\n");
  const e2e::RunResult launched = folder.run({"é"});
  ASSERT_EQ(launched.status, 0) << launched.err;
  EXPECT_EQ(launched.out,
            "fakeinstrument: [] Manifest-Version: 1.0\r\nAgent-Class: demo.JarAgent\r\n"
            "Can-Retransform-Classes: true\r\n");
  EXPECT_EQ(folder.logLine("option -XX:+EnableDynamicAgentLoading"), "");
  const std::string jars = home + "/日本/";
  EXPECT_EQ(folder.logLine("option -Djava.class.path="), folder.win(jars + "app.jar") + ";" +
                                                             folder.win(jars + "lib/library.jar") +
                                                             ";" + folder.win(jars + "more"));
  EXPECT_EQ(folder.logLine("option --add-opens="), "java.base/java.lang=ALL-UNNAMED");
  EXPECT_EQ(folder.logLine("option --add-exports="), "java.base/sun.security.x509=ALL-UNNAMED");
  EXPECT_EQ(folder.logLine("CallStaticVoidMethod demo/JarMain.main "), "[é]");
  folder.writeFile(home + "/日本/app.jar", "no zip");
  const e2e::RunResult corrupt = folder.run();
  EXPECT_EQ(corrupt.status, 1);
  EXPECT_EQ(corrupt.err, failure("Invalid or corrupt jarfile " + folder.win(jars + "app.jar")));
  folder.writeLap(lap + "badagent.jar\n");
  const e2e::RunResult badAgent = folder.run();
  EXPECT_EQ(badAgent.status, 1);
  EXPECT_EQ(badAgent.err,
            failure("error loading java agent in " + folder.win(jars + "badagent.jar")));
}

TEST(WineLaunch, TraceIsAppendedToTheFileMurvoTraceNames) {
  WineFolder folder;
  folder.writeLap(folder.lap("-Dv=1\n"));
  ASSERT_EQ(folder.run({}, {"MURVO_TRACE=" + folder.win("журнал.txt")}).status, 0);
  ASSERT_EQ(folder.run({}, {"MURVO_TRACE=" + folder.win("журнал.txt")}).status, 0);
  const std::string trace = e2e::readFile(folder.dir() + "/журнал.txt");
  const std::string library = "murvo: JVM library: " + folder.win("jvm.dll") + "\n";
  const std::size_t first = trace.find(library);
  EXPECT_NE(first, std::string::npos) << trace;
  EXPECT_NE(trace.find(library, first + 1), std::string::npos) << trace;
  EXPECT_NE(trace.find("murvo: JVM option: -Dv=1\n"), std::string::npos) << trace;
  EXPECT_TRUE(trace.ends_with("murvo: exit status 0\n")) << trace;
}

// A .lap saved by an older editor in code page 1252 means what it meant; a
// JVM that reads its options in that code page gets them so.
TEST(WineLaunch, LapFilesAndJvmOptionsMeetTheirCodePages) {
  WineFolder legacyLap;
  legacyLap.writeLap(legacyLap.lap("-Dv=caf\xE9\n"));
  ASSERT_EQ(legacyLap.run().status, 0);
  EXPECT_EQ(legacyLap.logLine("option -Dv="), "café");
  const std::pair<std::string, std::string> cases[] = {
      {"1.8.0_401", "caf\xE9 ?"},
      {"21.0.2", "café 日"},
  };
  for (const auto& [version, bytes] : cases) {
    WineFolder folder;
    folder.placeJvm("home/bin/server/jvm.dll");
    folder.writeFile("home/release", "JAVA_VERSION=\"" + version + "\"\n");
    folder.writeLap("murvo.jvm.path=" + folder.win("home/bin/server/jvm.dll") + "\n" +
                    folder.fakeJvmLines() + "-Dv=café 日\n");
    ASSERT_EQ(folder.run().status, 0) << version;
    EXPECT_EQ(folder.logLine("option -Dv="), bytes) << version;
  }
}

TEST(WineLaunch, JarFoldersJoinTheClassPathWithSemicolons) {
  WineFolder folder;
  // b.jarx and old.jar_old match *.jar by their short 8.3 names only.
  for (const char* file : {"lib/a.jar", "lib/B.JAR", "lib/readme.txt", "lib/b.jarx",
                           "lib/old.jar_old", "more/z.jar"}) {
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
  const std::string noLaunch = "Error while launching program with JVM.";
  const std::string system32 = "C:\\windows\\system32\\";
  // The system's reason comes first, one line naming the library and the error.
  const struct {
    std::string line;
    std::string detail;
    std::string described = "";  // the line before the message, whole
    std::string reasonFor = "";  // the library that the reason line names
    int error = 0;               // and its error code
  } cases[] = {
      {"-Dfakejvm.fail=create", "Cannot create Java VM"},
      {"-Dfakejvm.fail=create-abort", "Cannot create Java VM"},
      {"murvo.main.class=demo.Missing", "Cannot find main Java class demo/Missing",
       "Exception in thread: java.lang.NoClassDefFoundError: demo/Missing\r\n"},
      {"-Dfakejvm.fail=getstaticmethodid", "Cannot find main method in Java class",
       "Exception in thread: java.lang.NoSuchMethodError: main\r\n"},
      {"-Dfakejvm.fail=newobjectarray", "Out of memory error in Java launcher"},
      {"murvo.jvm.path=" + noLap.win("jvm\\jvm.dll"), noLaunch, "", noLap.win("jvm\\jvm.dll"), 126},
      {"murvo.jvm.path=${SELF_HOME}\\app.lap", noLaunch, "", "\\app.lap", 193},
      {"murvo.jvm.path=" + system32 + "version.dll", noLaunch, "", system32 + "version.dll", 127},
  };
  for (const std::string& launcher : launchers) {
    for (const auto& c : cases) {
      SCOPED_TRACE(launcher + " " + c.line);
      WineFolder folder("app.exe", launcher);
      folder.writeLap(folder.lap(c.line + "\n"));
      const e2e::RunResult result = folder.run({"x"});
      EXPECT_EQ(result.status, 1);
      if (!result.err.ends_with(failure(c.detail))) {
        ADD_FAILURE() << "the last line is not the message: " << result.err;
        continue;
      }
      const std::string before = result.err.substr(0, result.err.size() - failure(c.detail).size());
      if (c.reasonFor.empty()) {
        EXPECT_EQ(before, c.described);
      } else {
        EXPECT_NE(before.find(c.reasonFor), std::string::npos) << before;
        EXPECT_TRUE(before.ends_with(" (error " + std::to_string(c.error) + ")\r\n")) << before;
        EXPECT_EQ(before.find('\n'), before.size() - 1) << before;
      }
    }
    WineFolder folder("app.exe", launcher);
    const e2e::RunResult result = folder.run();
    EXPECT_EQ(result.status, 1) << launcher;
    EXPECT_EQ(result.out, "") << launcher;
    EXPECT_EQ(result.err, failure("Could not open file " + folder.win("app.lap"))) << launcher;
  }
}

// The user's options file of %APPDATA%\<program>\<program>.options, read
// with the .lap's rules: the options the author allows come after the .lap's;
// one that the VM refuses is named with the file in the message.
TEST(WineLaunch, UserOptionsFileInAppDataFollowsTheLapsOptions) {
  const std::string program = "murvo-user-options";
  std::string appData = commandOutput("wine cmd /c echo %APPDATA%");
  appData.erase(appData.find_last_not_of("\r\n") + 1);
  std::string folder = commandOutput("winepath -u '" + appData + "'");
  folder.erase(folder.find_last_not_of("\r\n/") + 1);
  folder += "/" + program;
  std::filesystem::create_directories(folder);
  const std::string file = appData + "\\" + program + "\\" + program + ".options";
  const std::string allowed = "murvo.user.options.allowed=-Dv= -X\n";
  for (const std::string& launcher : launchers) {
    SCOPED_TRACE(launcher);
    WineFolder app(program + ".exe", launcher);
    std::ofstream(folder + "/" + program + ".options", std::ios::binary)
        << "\xEF\xBB\xBF# mine\r\n-Dv=user\r\n-Dw=dropped\r\n";
    app.writeLap(app.lap("-Dv=lap\nmurvo.user.options=auto\n" + allowed));
    const e2e::RunResult taken = app.run();
    EXPECT_EQ(taken.status, 0) << taken.err;
    const std::string log = app.log();
    EXPECT_LT(log.find("option -Dv=lap\n"), log.find("option -Dv=user\n")) << log;
    EXPECT_EQ(log.find("-Dw="), std::string::npos) << log;

    std::ofstream(folder + "/" + program + ".options", std::ios::binary) << "-Xnonsense\r\n";
    const e2e::RunResult refused = app.run();
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.ends_with(
        failure("Cannot create Java VM (with the user's options from " + file + ": -Xnonsense)")))
        << refused.err;
  }
  std::filesystem::remove_all(folder);
}

TEST(WineLaunch, LaunchMakesTheJniCallsInOrderAndEndsWithMainsStatus) {
  WineFolder folder;
  folder.writeLap(folder.lap("murvo.trap.console.ctrl=yes\n-Xmx64m\n"));
  // No class path in the .lap: the JVM gets CLASSPATH, as with java.exe.
  const e2e::RunResult result = folder.run({"a", "b c"}, {"CLASSPATH=C:\\lib\\a.jar"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(folder.log(),
            "JNI_CreateJavaVM version=0x10002 nOptions=6 ignoreUnrecognized=0\n"
            "option -Dfakejvm.log=" +
                folder.win("jvm.log") +
                "\n"
                "option -Dfakejvm.classes=demo/Main\n"
                "option -Xmx64m\n"
                "option -Djava.class.path=C:\\lib\\a.jar\n"
                "option exit\n"
                "option abort\n"
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
                "ExceptionOccurred 0\n"
                "DestroyJavaVM\n");
  WineFolder exiting;
  exiting.writeLap(exiting.lap("-Dfakejvm.main=exit:3\n"));
  const e2e::RunResult exited = exiting.run();
  EXPECT_EQ(exited.status, 3);
  EXPECT_EQ(exited.err, "");
  // An exception that escapes main goes to the thread's handler before the VM is destroyed.
  WineFolder throwing;
  throwing.writeLap(throwing.lap("-Dfakejvm.main=throw\n"));
  const e2e::RunResult thrown = throwing.run();
  EXPECT_EQ(thrown.status, 1);
  EXPECT_EQ(thrown.err,
            "Exception in thread \"main\" java.lang.IllegalStateException: thrown by main\r\n");
  const std::string log = throwing.log();
  EXPECT_TRUE(
      log.ends_with("CallStaticVoidMethod demo/Main.main []\n"
                    "ExceptionOccurred 1\n"
                    "ExceptionClear\n"
                    "FindClass java/lang/Thread\n"
                    "GetStaticMethodID java/lang/Thread currentThread ()Ljava/lang/Thread;\n"
                    "CallStaticObjectMethod java/lang/Thread.currentThread\n"
                    "GetMethodID java/lang/Thread getUncaughtExceptionHandler "
                    "()Ljava/lang/Thread$UncaughtExceptionHandler;\n"
                    "CallObjectMethod thread main java/lang/Thread.getUncaughtExceptionHandler\n"
                    "FindClass java/lang/Thread$UncaughtExceptionHandler\n"
                    "GetMethodID java/lang/Thread$UncaughtExceptionHandler uncaughtException "
                    "(Ljava/lang/Thread;Ljava/lang/Throwable;)V\n"
                    "CallVoidMethod thread group main "
                    "java/lang/Thread$UncaughtExceptionHandler.uncaughtException thread main "
                    "java.lang.IllegalStateException: thrown by main\n"
                    "ExceptionOccurred 0\n"
                    "DestroyJavaVM\n"))
      << log;
}

TEST(WineLaunch, ExecutablesAreStaticWithManifestAndVersionTheTwinOfTheConsole) {
  // Only the GUI launcher shows a box, and so only it imports USER32.dll.
  const std::tuple<std::string, std::string, std::vector<std::string>> cases[] = {
      {MURVO_LAUNCHER,
       "(Windows GUI)",
       {"KERNEL32.dll", "msvcrt.dll", "USER32.dll", "ADVAPI32.dll"}},
      {MURVO_CONSOLE_LAUNCHER, "(Windows CUI)", {"KERNEL32.dll", "msvcrt.dll", "ADVAPI32.dll"}},
  };
  for (const auto& [launcher, subsystem, dlls] : cases) {
    EXPECT_NE(peHeaders(launcher).find(subsystem), std::string::npos) << launcher;
    for (const std::string& dll : importedDlls(launcher))
      EXPECT_NE(std::find(dlls.begin(), dlls.end(), dll), dlls.end()) << launcher << " " << dll;
    const std::string image = e2e::readFile(launcher);
    EXPECT_NE(image.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
    const std::string versionKey("P\0r\0o\0d\0u\0c\0t\0V\0e\0r\0s\0i\0o\0n\0", 28);
    EXPECT_NE(image.find(versionKey), std::string::npos);
  }
}

TEST(WineLaunch, ConsoleTwinTrapsCtrlCWhenTheLapAsksForIt) {
  // Wine delivers SIGINT to a console program as CTRL_C_EVENT.
  for (const bool trapped : {true, false}) {
    WineFolder folder("app.exe", MURVO_CONSOLE_LAUNCHER);
    folder.writeLap(folder.lap(std::string(trapped ? "murvo.trap.console.ctrl=yes\n" : "") +
                               "-Dfakejvm.main=wait-exit\n"));
    e2e::Process process = folder.start({});
    for (int i = 0; i < 2000 && folder.logLine(mainCall) != "[]"; ++i) usleep(5000);
    process.signal(SIGINT);
    const e2e::RunResult result = process.wait(30);
    EXPECT_FALSE(result.timedOut) << trapped;
    const bool exitCalled =
        folder.log().find("CallStaticVoidMethod demo/Main.initiateExit 0\n") != std::string::npos;
    EXPECT_EQ(exitCalled, trapped);
    if (trapped) {
      EXPECT_EQ(result.status, 0);
    }
  }
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

// The start-up cache in %LOCALAPPDATA% and in a folder of a name that is not
// ASCII: the double records its classes on the first start, the detached
// maker has it make the archive, and the next start maps that archive.
TEST(WineLaunch, StartupCacheArchiveIsMadeAndMappedByTheNextStart) {
  const auto archiveIn = [](const std::string& unixFolder) {
    for (int i = 0; i < 600; ++i) {
      std::error_code missing;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(unixFolder, missing)) {
        if (entry.path().extension() == ".jsa") return entry.path().string();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return std::string();
  };
  // A program with a cache of `setting` and a Java home of `release`.
  const auto cachedProgram = [](WineFolder& folder, const std::string& release,
                                const std::string& setting) {
    folder.placeJvm("jdk/bin/server/jvm.dll");
    folder.writeFile("jdk/release", release);
    folder.writeFile("app.jar", "");
    folder.writeLap("murvo.jvm.path=" + folder.win("jdk/bin/server/jvm.dll") + "\n" +
                    folder.fakeJvmLines() + "-Djava.class.path=" + folder.win("app.jar") +
                    "\nmurvo.startup.cache=" + setting + "\n");
  };
  const std::string users = std::string(getenv("WINEPREFIX")) + "/drive_c/users";
  const std::pair<std::string, std::string> settings[] = {
      {"auto", "\\AppData\\Local\\Zeichnen\\startup-cache\\"}, {"Кэш Jürgen", "\\Кэш Jürgen\\"}};
  for (const auto& [setting, place] : settings) {
    WineFolder folder("Zeichnen.exe");
    cachedProgram(folder, "JAVA_VERSION=\"21.0.2\"\n", setting);
    if (setting == "auto") {
      for (const auto& user : std::filesystem::directory_iterator(users)) {
        std::filesystem::remove_all(user.path() / "AppData/Local/Zeichnen");
      }
    }
    // The environment's JVM options are the program's: the dump takes none.
    ASSERT_EQ(folder.run({}, {"JAVA_TOOL_OPTIONS=-Dprogram.option=1"}).status, 0);
    const std::string list = folder.logLine("option -XX:DumpLoadedClassList=");
    EXPECT_NE(list.find(place), std::string::npos) << list;
    const std::string archive = archiveIn(setting == "auto" ? users : folder.dir() + "/" + setting);
    ASSERT_FALSE(archive.empty()) << setting;
    EXPECT_EQ(e2e::readFile(archive), "fakejvm archive of\ndemo/Main\n");
    std::filesystem::remove(folder.dir() + "/jvm.log");
    ASSERT_EQ(folder.run().status, 0);
    const std::string used = folder.logLine("option -XX:SharedArchiveFile=");
    EXPECT_EQ(used.substr(used.rfind('\\')),
              "\\" + std::filesystem::path(archive).filename().string());
    EXPECT_NE(used.find(place), std::string::npos) << used;
    // Overwritten since it was made: left out, and made anew.
    std::ofstream(archive, std::ios::binary | std::ios::trunc)
        << std::string(e2e::readFile(archive).size(), 'x');
    std::filesystem::remove(folder.dir() + "/jvm.log");
    ASSERT_EQ(folder.run().status, 0);
    EXPECT_EQ(folder.logLine("option -XX:SharedArchiveFile="),
              "(no line option -XX:SharedArchiveFile=)");
    EXPECT_NE(folder.logLine("option -XX:DumpLoadedClassList=").find(place), std::string::npos);
    if (setting == "auto")
      std::filesystem::remove_all(std::filesystem::path(archive).parent_path());
  }
  // OpenJ9 keeps a cache of its own: none of these options reach it.
  WineFolder openj9("Zeichnen.exe");
  cachedProgram(openj9, "JAVA_VERSION=\"17.0.9\"\nJVM_VARIANT=\"Openj9\"\n", "cache");
  ASSERT_EQ(openj9.run().status, 0);
  EXPECT_EQ(openj9.log().find("option -X"), std::string::npos) << openj9.log();
}

// A program that runs once: a later start hands its arguments and folder to
// the first through the named pipe and quits without a VM of its own.
TEST(WineLaunch, ALaterStartHandsItsArgumentsToTheFirstThroughThePipe) {
  WineFolder folder;
  folder.writeLap(folder.lap("-Dfakejvm.main=wait-another\nmurvo.single.instance=Zeichnen.Wine-" +
                             std::to_string(getpid()) + "\n"));
  e2e::Process first = folder.start({"first"});
  ASSERT_TRUE(e2e::awaitCount([&] { return folder.log(); }, mainCall, 1));
  // (wine leaves an empty argument out of the command line it builds)
  const e2e::RunResult later = folder.run({"a b", "Ж😀"});
  EXPECT_EQ(later.status, 0) << later.err;
  EXPECT_EQ(first.wait().status, 0);
  EXPECT_EQ(folder.logLine("CallStaticVoidMethod demo/Main.anotherInstance "),
            "[a b|Ж😀] " + folder.win());
  const std::string log = folder.log();
  EXPECT_EQ(log.find("JNI_CreateJavaVM"), log.rfind("JNI_CreateJavaVM")) << log;

  folder.writeLap(folder.lap("murvo.single.instance=a/b\n"));
  EXPECT_EQ(folder.run().err,
            failure("The value of murvo.single.instance is no name (letters, digits, '.', '-' "
                    "and '_', at most 100): a/b"));
}

// Exactly once or not at all: a first start that ends (System.exit, its
// shutdown hooks running) while a later start waits takes nothing, and the
// later start runs as the first once the first is gone.
TEST(WineLaunch, ALaterStartWaitsForAFirstThatEndsAndRunsAsTheFirst) {
  WineFolder folder;
  folder.writeLap(folder.lap("-Dfakejvm.main=exit-after:" + folder.win("go") +
                             "\nmurvo.single.instance=Ending.Wine-" + std::to_string(getpid()) +
                             "\n"));
  e2e::Process first = folder.start({"first"});
  ASSERT_TRUE(
      e2e::awaitCount([&] { return folder.log(); }, "shutdown hook murvo/VmShutdownNotice", 1));
  e2e::Process later = folder.start({"later"}, {"MURVO_TRACE=" + folder.win("trace")});
  EXPECT_TRUE(e2e::awaitCount([&] { return e2e::readFile(folder.dir() + "/trace"); },
                              "takes no message now, waiting", 1));
  folder.writeFile("go", "");
  EXPECT_EQ(first.wait().status, 0);
  const e2e::RunResult runAsFirst = later.wait();
  EXPECT_EQ(runAsFirst.status, 0) << runAsFirst.err;
  const std::string log = folder.log();
  EXPECT_EQ(log.find("anotherInstance ["), std::string::npos) << log;
  EXPECT_NE(log.find(mainCall + "[later]"), std::string::npos) << log;
}

}  // namespace murvo::wine
