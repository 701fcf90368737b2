// The launcher against the JDK installed on the machine.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>
#include <tuple>
#include <vector>

#include "Harness.h"

namespace murvo::e2e {
namespace {

std::string failure(const std::string& detail) {
  return "Error in Java launcher. " + detail + "\n";
}

// Waits until the program has printed `text`, so that a signal finds it running.
bool awaitOutput(const Process& process, const std::string& text) {
  for (int i = 0; i < 2000; ++i) {
    if (process.outputSoFar().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(RealJdk, ArgumentsReachMainExactly) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.PrintArgs"));
  RunResult none = app.run();
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out, "count=0\n");

  RunResult some = app.run({"plain", "with blank", "say \"hi\"", "café", "😀", "a\\b"});
  EXPECT_EQ(some.status, 0) << some.err;
  EXPECT_EQ(some.out,
            "count=6\n"
            "arg=plain codes=70 6c 61 69 6e\n"
            "arg=with blank codes=77 69 74 68 20 62 6c 61 6e 6b\n"
            "arg=say \"hi\" codes=73 61 79 20 22 68 69 22\n"
            "arg=café codes=63 61 66 e9\n"
            "arg=😀 codes=1f600\n"
            "arg=a\\b codes=61 5c 62\n");
}

TEST(RealJdk, InvalidUtf8BecomesReplacementCharacter) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.PrintArgs"));
  RunResult result = app.run({"a\xff"});
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("codes=61 fffd\n"), std::string::npos) << result.out;
}

TEST(RealJdk, OptionsAndJarFoldersReachTheVm) {
  LauncherFolder app;
  app.makeDir("lib");
  app.makeDir("more");
  for (const char* jar : {"lib/b.jar", "lib/a.jar", "more/c.jar"}) app.writeFile(jar, "");
  app.writeLap("murvo.jvm.path=" + realJvmLibrary() +
               "\nmurvo.main.class=demo.Probe\n"
               "-Dplain=value with blanks\n"
               "-Dhome=${SELF_HOME}\n"
               "murvo.classpath.jars.dir=" +
               javaClasses() +
               "/../nojars\n"
               "murvo.classpath.jars.dir=${SELF_HOME}/lib\n"
               "murvo.classpath.jars.dir=" +
               app.dir() +
               "/more/\n"
               "-Djava.class.path=" +
               javaClasses() + "\n");
  RunResult result = app.run({"props", "plain", "home", "java.class.path"});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string lib = app.dir() + "/lib/";
  EXPECT_EQ(result.out, "plain=value with blanks\nhome=" + app.dir() +
                            "\njava.class.path=" + javaClasses() + ":" + app.dir() +
                            "/more/c.jar:" + lib + "a.jar:" + lib + "b.jar\n");
}

// A class planted in the current directory never runs through the
// launcher's own work on the class path: however the .lap's class path comes
// out (empty, only jars, jars that cannot be named on it), the current
// directory is not on it.
TEST(RealJdk, ConfiguredClassPathNeverGainsTheCurrentDirectory) {
  const std::string trace =
      "murvo: class path: left out @DIR@/odd/a::b.jar: it holds the separator\n";
  const std::pair<std::string, std::string> cases[] = {
      {"murvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path=\n", ""},
      {"-Djava.class.path\n", ""},
      {"murvo.classpath.jars.dir=\n", ""},
      {"murvo.classpath.jars.dir=${SELF_HOME}/empty\n", ""},
      {"-Djava.class.path=${SELF_HOME}/lib:\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"-Djava.class.path.extra=x\nmurvo.classpath.jars.dir=${SELF_HOME}/lib\n", ""},
      {"murvo.classpath.jars.dir=${SELF_HOME}/odd\n", trace},
  };
  for (const auto& [lines, traced] : cases) {
    SCOPED_TRACE(lines);
    LauncherFolder app;
    app.makeDir("demo");
    app.makeDir("empty");
    app.makeDir("lib");
    app.makeDir("odd");
    for (const char* jar : {"lib/x.jar", "odd/a::b.jar"}) app.writeFile(jar, "");
    // The launcher's folder is the current directory of its launches.
    app.writeFile("demo/Probe.class", readFile(javaClasses() + "/demo/Probe.class"));
    app.writeLap("murvo.jvm.path=" + realJvmLibrary() + "\nmurvo.main.class=demo.Probe\n" + lines);
    const RunResult result = app.run({}, {"MURVO_TRACE=-"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.ends_with(failure("Cannot find main Java class demo/Probe")))
        << result.err;
    std::string expectedTrace = traced;
    if (const std::size_t at = expectedTrace.find("@DIR@"); at != std::string::npos) {
      expectedTrace.replace(at, 5, app.dir());
    }
    EXPECT_NE(result.err.find(expectedTrace), std::string::npos) << result.err;
  }
  // Nothing configured: CLASSPATH, else the current directory, as with `java`.
  LauncherFolder plain;
  plain.writeLap("murvo.jvm.path=" + realJvmLibrary() + "\nmurvo.main.class=demo.Probe\n");
  EXPECT_EQ(plain.run({}, {"CLASSPATH=" + javaClasses()}).out, "no command\n");
  if (!std::getenv("CLASSPATH")) {
    plain.makeDir("demo");
    plain.writeFile("demo/Probe.class", readFile(javaClasses() + "/demo/Probe.class"));
    EXPECT_EQ(plain.run().out, "no command\n");
  }
}

TEST(RealJdk, FailuresOfTheLaunch) {
  struct Case {
    std::string lap;
    std::string detail;
    std::string described;  // what explains it, on standard error before the message
    std::string out = "";   // found in what the VM writes on standard output
  };
  std::vector<Case> cases = {
      {realJdkLap("demo.Missing"), "Cannot find main Java class demo/Missing",
       "Exception in thread \"main\" java.lang.NoClassDefFoundError: demo/Missing\n"},
      {realJdkLap("demo.NoStaticMain"), "Cannot find main method in Java class",
       "java.lang.NoSuchMethodError: static Ldemo/NoStaticMain;.main([Ljava/lang/String;)V\n"},
      {realJdkLap("demo.Probe", "-Xnonsense\n"), "Cannot create Java VM",
       "Unrecognized option: -Xnonsense\n"},
      // The VM ends the process itself for these, its words on standard output.
      {realJdkLap("demo.Probe", "-Xmx1k\n"), "Cannot create Java VM", "",
       "Error occurred during initialization of VM\nToo small maximum heap\n"},
      {realJdkLap("demo.Probe", "-javaagent:${SELF_HOME}/missing.jar\n"), "Cannot create Java VM",
       "Error opening zip file or JAR manifest missing : ",
       "Error occurred during initialization of VM\nagent library failed to init: instrument\n"},
      {"murvo.jvm.path=/nonexistent/libjvm.so\nmurvo.main.class=demo.Probe\n",
       "Error while launching program with JVM.",
       "/nonexistent/libjvm.so: cannot open shared object file: No such file or directory\n"},
  };
  if (std::string(NEWER_JAVA_CLASSES).empty()) {
    std::cout << "no newer JDK: a class compiled for a newer Java is not tried\n";
  } else {
    cases.push_back(
        {"murvo.jvm.path=" + realJvmLibrary() +
             "\nmurvo.main.class=demo.PrintArgs\n-Djava.class.path=" + NEWER_JAVA_CLASSES + "\n",
         "Cannot find main Java class demo/PrintArgs",
         "java.lang.UnsupportedClassVersionError: demo/PrintArgs has been compiled by a "
         "more recent version of the Java Runtime (class file version "});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lap);
    LauncherFolder app;
    app.writeLap(c.lap);
    RunResult result = app.run();
    EXPECT_EQ(result.status, 1);
    // The message is the last line, whole; the description comes before it.
    if (!result.err.ends_with(failure(c.detail))) {
      ADD_FAILURE() << "the last line is not the message: " << result.err;
      continue;
    }
    const std::string before = result.err.substr(0, result.err.size() - failure(c.detail).size());
    EXPECT_TRUE(c.described.empty() ? before.empty()
                                    : before.find(c.described) != std::string::npos)
        << before;
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
  }
}

// The user's options file: its allowed option lines come after the .lap's,
// so that the user's -Xmx and -D win; it is read with the .lap's rules (a
// byte-order mark, CRLF, comments); what the author does not allow, and what
// is no option, is left out; a missing file changes nothing.
TEST(RealJdk, UserOptionsFileJoinsTheLapsOptionsAsTheAuthorAllows) {
  LauncherFolder app;
  app.makeDir("config/app");
  const std::vector<std::string> config = {"XDG_CONFIG_HOME=" + app.dir() + "/config"};
  app.writeFile("config/app/app.options",
                "\xEF\xBB\xBF# more memory\r\n-Xmx300m\r\n-Dx=user\r\n-Dy=not allowed\r\n"
                "not an option\r\n");
  app.writeLap(realJdkLap("demo.Probe",
                          "-Xmx64m\n-Dx=lap\nmurvo.user.options=auto\n"
                          "murvo.user.options.allowed=-Xmx -Dx=\n"));
  // The heap the program sees: a collector may keep a part of -Xmx for itself.
  auto maxMemory = [&](const std::vector<std::string>& environment) {
    const RunResult result = app.run({"memory"}, environment);
    EXPECT_EQ(result.status, 0) << result.err;
    return std::atoi(result.out.c_str() + std::string("maxMemory=").size());
  };
  const int raised = maxMemory(config);
  EXPECT_TRUE(raised > 250 && raised <= 300) << raised;
  RunResult props = app.run({"props", "x", "y"}, config);
  EXPECT_EQ(props.out, "x=user\ny=null\n");

  // Without the allowed list: heap and proxies, never an agent. A file named
  // with a variable; a missing one is no error.
  app.writeFile("user.options", "-javaagent:${SELF_HOME}/missing.jar\n-Dhttp.proxyHost=proxy\n");
  for (const std::string file : {"${SELF_HOME}/user.options", "missing.options"}) {
    app.writeLap(realJdkLap("demo.Probe", "murvo.user.options=" + file + "\n"));
    RunResult result = app.run({"props", "http.proxyHost"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              file == "missing.options" ? "http.proxyHost=null\n" : "http.proxyHost=proxy\n");
  }
  // The author's key absent or off: the user's file is not read.
  for (const std::string lines : {"", "murvo.user.options=off\n"}) {
    app.writeLap(realJdkLap("demo.Probe", lines + "-Xmx64m\n"));
    EXPECT_LE(maxMemory(config), 64);
  }
}

// A user's option that the JVM refuses: the message names the user's file
// and its options, since the .lap alone would have started.
TEST(RealJdk, RefusedUserOptionIsNamedInTheMessage) {
  LauncherFolder app;
  app.writeFile("app.options", "-Xbroken\n");
  app.writeLap(realJdkLap("demo.Probe",
                          "murvo.user.options=app.options\n"
                          "murvo.user.options.allowed=-X\n"));
  RunResult result = app.run();
  EXPECT_EQ(result.status, 1);
  EXPECT_TRUE(result.err.ends_with("Unrecognized option: -Xbroken\n" +
                                   failure("Cannot create Java VM (with the user's options from " +
                                           app.dir() + "/app.options: -Xbroken)")))
      << result.err;
}

TEST(RealJdk, EndOfMainDecidesTheStatus) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe"));
  const RunResult thrown = app.run({"throw"});
  EXPECT_EQ(thrown.status, 1);
  EXPECT_TRUE(
      thrown.err.starts_with("Exception in thread \"main\" "
                             "java.lang.IllegalStateException: escaped from main\n"
                             "\tat demo.Probe.main("))
      << thrown.err;
  // The program's own default handler takes the exception, and nothing else is said.
  const RunResult handled = app.run({"handler"});
  EXPECT_EQ(handled.status, 1);
  EXPECT_EQ(handled.out, "handled on main: escaped from main\n");
  EXPECT_EQ(handled.err, "");
  const RunResult exited = app.run({"exit", "3"});
  EXPECT_EQ(exited.status, 3);
  EXPECT_EQ(exited.out + exited.err, "");
  // A VM that ends by itself with 0 while it is created has done what an
  // option asked of it.
  LauncherFolder printing;
  printing.writeLap(realJdkLap("demo.Probe",
                               "-XX:+UnlockExperimentalVMOptions\n-XX:+EnableJVMCI\n"
                               "-XX:+JVMCIPrintProperties\n"));
  const RunResult printed = printing.run();
  EXPECT_EQ(printed.status, 0);
  EXPECT_TRUE(printed.out.starts_with("[JVMCI properties]\n")) << printed.out;
  EXPECT_EQ(printed.err, "");
}

// Instance main methods and main(): on Java 25 as `java` runs them (output,
// errors and status alike), on an older Java refused as ever.
TEST(RealJdk, MainMethodsOfJava25) {
  const std::string newer = newerJvmLibrary();
  if (newer.empty()) GTEST_SKIP() << "no Java 25 installed";
  const std::vector<std::vector<std::string>> runs = {
      {"demo.InstanceMain", "props", "java.class.path"},
      {"demo.InstanceMain", "throw"},
      {"demo.InstanceMain", "exit", "3"},
      {"demo.InstanceNoArgs", "ignored"},
      {"demo.StaticNoArgs"},
      {"demo.PrivateArgs"},
      {"demo.ArgsBeforeStatic", "a", "b"},
      {"demo.Probe", "handler"},
  };
  LauncherFolder app;
  for (const std::vector<std::string>& words : runs) {
    SCOPED_TRACE(words[0] + " " + (words.size() > 1 ? words[1] : ""));
    app.writeLap(realJdkLap(words[0], "", newer));
    const RunResult launched = app.run({words.begin() + 1, words.end()});
    std::vector<std::string> javaArgs{"-cp", javaClasses()};
    javaArgs.insert(javaArgs.end(), words.begin(), words.end());
    const RunResult expected = app.runJava(NEWER_JDK_HOME, javaArgs);
    EXPECT_EQ(launched.status, expected.status);
    EXPECT_EQ(launched.out, expected.out);
    EXPECT_EQ(launched.err, expected.err);
  }
  // A class that cannot be instantiated is refused, as `java` refuses it.
  const std::pair<std::string, std::string> refused[] = {
      {"demo.PrivateConstructor",
       "Cannot instantiate main Java class demo/PrivateConstructor: it has no non-private "
       "constructor without parameters"},
      {"demo.AbstractMain", "Cannot instantiate main Java class demo/AbstractMain: it is abstract"},
  };
  for (const auto& [mainClass, detail] : refused) {
    app.writeLap(realJdkLap(mainClass, "", newer));
    const RunResult result = app.run();
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, failure(detail));
    EXPECT_EQ(app.runJava(NEWER_JDK_HOME, {"-cp", javaClasses(), mainClass}).status, 1);
  }
  // The console trap reaches the main class of an instance main.
  app.writeLap(realJdkLap("demo.InstanceMain", "murvo.trap.console.ctrl=yes\n", newer));
  Process process = app.start({"wait"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  const RunResult trapped = process.wait(30);
  EXPECT_EQ(trapped.status, 0);
  EXPECT_EQ(trapped.out, "waiting\ninitiateExit 0\n");
  // Java 17 knows only the static main(String[]).
  for (const char* mainClass : {"demo.InstanceMain", "demo.InstanceNoArgs", "demo.StaticNoArgs"}) {
    app.writeLap(realJdkLap(mainClass));
    const RunResult result = app.run();
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(
        result.err.starts_with("Exception in thread \"main\" java.lang.NoSuchMethodError: "))
        << result.err;
    EXPECT_TRUE(result.err.ends_with(failure("Cannot find main method in Java class")))
        << result.err;
  }
}

// murvo.jar runs a runnable jar as `java -jar` of the same Java does: its
// main class, Class-Path, Add-Opens, Add-Exports, Enable-Native-Access (on
// Java 25 without it, the same warnings) and Launcher-Agent-Class (on Java 25
// without a warning of an agent loaded into a running VM).
TEST(RealJdk, RunnableJarAsWithJavaDashJar) {
  LauncherFolder app;
  app.makeDir("lib");
  app.makeDir("more");
  app.makeDir("jars");
  app.writeFile("jars/x.jar", "");
  for (const char* jar :
       {"app.jar", "bare.jar", "badaccess.jar", "badagent.jar", "nomain.jar", "lib/library.jar"}) {
    app.writeFile(jar, readFile(javaJars() + "/" + jar));
  }
  std::vector<std::pair<std::string, std::string>> javas = {{JDK_HOME, realJvmLibrary()}};
  if (!newerJvmLibrary().empty()) javas.emplace_back(NEWER_JDK_HOME, newerJvmLibrary());
  for (const auto& [home, library] : javas) {
    for (const char* jar : {"app.jar", "bare.jar"}) {
      SCOPED_TRACE(home + " " + jar);
      app.writeLap("murvo.jvm.path=" + library + "\nmurvo.jar=" + jar + "\n");
      const RunResult launched = app.run({"a", "b c"});
      const RunResult expected = app.runJava(home, {"-jar", app.dir() + "/" + jar, "a", "b c"});
      EXPECT_EQ(launched.status, expected.status);
      EXPECT_EQ(launched.out, expected.out);
      EXPECT_EQ(launched.err, expected.err);
      // app.jar's Launcher-Agent-Class runs first, with its capabilities.
      const std::string agent = jar == std::string("app.jar") ? "agent [] retransform true\n" : "";
      EXPECT_TRUE(launched.out.starts_with(agent + "args a b c\n")) << launched.out;
    }
    {
      // An agent class that does not exist: the instrumentation library's
      // complaint, then one message naming the jar; main never runs.
      SCOPED_TRACE(home + " badagent.jar");
      app.writeLap("murvo.jvm.path=" + library + "\nmurvo.jar=badagent.jar\n");
      const RunResult launched = app.run();
      EXPECT_EQ(app.runJava(home, {"-jar", app.dir() + "/badagent.jar"}).status, 1);
      EXPECT_EQ(launched.status, 1);
      EXPECT_EQ(launched.out, "");
      EXPECT_NE(launched.err.find("ClassNotFoundException: demo.NoSuchAgent"), std::string::npos);
      EXPECT_TRUE(launched.err.ends_with(
          failure("error loading java agent in " + app.dir() + "/badagent.jar")))
          << launched.err;
    }
    // An Enable-Native-Access other than ALL-UNNAMED: Java 17 knows none,
    // Java 22 and later refuse the jar.
    SCOPED_TRACE(home + " badaccess.jar");
    app.writeLap("murvo.jvm.path=" + library + "\nmurvo.jar=badaccess.jar\n");
    const RunResult launched = app.run();
    const RunResult expected = app.runJava(home, {"-jar", app.dir() + "/badaccess.jar"});
    EXPECT_EQ(launched.status, expected.status);
    if (expected.status == 0) {
      EXPECT_EQ(launched.out, expected.out);
    } else {
      EXPECT_EQ(launched.out, "");
      // java's words, after the launcher's "Error in Java launcher." instead of its "Error:".
      ASSERT_TRUE(expected.err.starts_with("Error: illegal value")) << expected.err;
      EXPECT_EQ(launched.err, failure(expected.err.substr(7, expected.err.size() - 8)));
    }
  }
  // The jar and its libraries that exist come first, the jar folders last;
  // murvo.main.class wins over Main-Class.
  app.writeLap(realJdkLap("demo.Probe",
                          "murvo.jar=${SELF_HOME}/app.jar\n"
                          "murvo.classpath.jars.dir=${SELF_HOME}/jars\n"));
  const RunResult probed = app.run({"props", "java.class.path"});
  EXPECT_EQ(probed.status, 0) << probed.err;
  EXPECT_EQ(probed.out, "agent [] retransform true\njava.class.path=" + app.dir() +
                            "/app.jar:" + app.dir() + "/lib/library.jar:" + app.dir() +
                            "/more:" + javaClasses() + ":" + app.dir() + "/jars/x.jar\n");
  app.writeLap(realJdkLap("demo.Probe", "murvo.jar=nomain.jar\n"));
  EXPECT_EQ(app.run().out, "no command\n");
}

// A real runnable jar: Debian's Jython, whose Class-Path names absolute paths.
TEST(RealJdk, DebiansJythonJarRunsAsWithJavaDashJar) {
  const std::string jython = "/usr/share/java/jython.jar";
  if (readFile(jython).empty()) GTEST_SKIP() << "no " << jython << " (Debian package jython)";
  LauncherFolder app;
  app.writeLap("murvo.jvm.path=" + realJvmLibrary() + "\nmurvo.jar=" + jython + "\n");
  const std::vector<std::string> args = {"-c", "import sys; print(sys.argv); sys.exit(3)", "é"};
  const RunResult launched = app.run(args);
  std::vector<std::string> javaArgs = {"-jar", jython};
  javaArgs.insert(javaArgs.end(), args.begin(), args.end());
  const RunResult expected = app.runJava(JDK_HOME, javaArgs);
  EXPECT_EQ(launched.status, 3);
  EXPECT_EQ(launched.status, expected.status);
  EXPECT_EQ(launched.out, expected.out);
  EXPECT_EQ(launched.err, expected.err);
}

// murvo.module.path and murvo.main.module run a modular program as
// `java -p <path> -m <module>[/<class>]` does, on each Java.
TEST(RealJdk, ModularProgramAsWithJavaDashM) {
  const std::string jars = std::string(JAVA_TEST_MODULES) + "/jars";
  const std::string exploded = std::string(JAVA_TEST_MODULES) + "/exploded";
  std::vector<std::pair<std::string, std::string>> javas = {{JDK_HOME, realJvmLibrary()}};
  if (!newerJvmLibrary().empty()) javas.emplace_back(NEWER_JDK_HOME, newerJvmLibrary());
  const std::pair<std::string, std::string> ways[] = {
      {jars, "demo.app"},
      {exploded, "demo.app/demo.app.Main"},
      {"/nonexistent:" + exploded, "demo.app/demo.app.Main"},
  };
  LauncherFolder app;
  for (const auto& [home, library] : javas) {
    for (const auto& [path, module] : ways) {
      SCOPED_TRACE(home + " -p " + path + " -m " + module);
      app.writeLap("murvo.jvm.path=" + library + "\nmurvo.module.path=" + path +
                   "\nmurvo.main.module=" + module + "\n");
      const RunResult launched = app.run({"a", "b c"});
      const RunResult expected = app.runJava(home, {"-p", path, "-m", module, "a", "b c"});
      EXPECT_EQ(launched.status, 0) << launched.err;
      EXPECT_EQ(launched.out, expected.out);
      EXPECT_EQ(launched.err, expected.err);
    }
    // What `java` refuses is refused, the module named: a module that names
    // no main class by the launcher, one that is not there by the VM, in the
    // words `java` prints.
    const std::tuple<std::string, std::string, std::string> refused[] = {
        {exploded, "demo.app",
         "Module demo.app names no main class: set murvo.main.module=demo.app/<main class>"},
        {jars, "demo.none", "Cannot create Java VM"},
    };
    for (const auto& [path, module, detail] : refused) {
      SCOPED_TRACE(home + " -p " + path + " -m " + module);
      app.writeLap("murvo.jvm.path=" + library + "\nmurvo.module.path=" + path +
                   "\nmurvo.main.module=" + module + "\n");
      const RunResult launched = app.run();
      const RunResult expected = app.runJava(home, {"-p", path, "-m", module});
      EXPECT_EQ(launched.status, 1);
      EXPECT_EQ(expected.status, 1);
      EXPECT_EQ(launched.err, failure(detail));
      if (module == "demo.none") {
        EXPECT_EQ(launched.out, expected.out);
        EXPECT_NE(launched.out.find("FindException: Module demo.none not found"),
                  std::string::npos);
      }
    }
  }
}

TEST(RealJdk, TrappedInterruptCallsInitiateExit) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe", "murvo.trap.console.ctrl=yes\n"));
  Process process = app.start({"wait"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  RunResult result = process.wait(30);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "waiting\ninitiateExit 0\n");
}

TEST(RealJdk, UntrappedInterruptEndsProgramAsTheJvmDoes) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.Probe"));
  Process process = app.start({"wait"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  EXPECT_EQ(process.wait(30).status, 130);
}

TEST(RealJdk, TrappedInterruptWithoutInitiateExitKeepsProgramRunning) {
  LauncherFolder app;
  app.writeLap(realJdkLap("demo.NoExitHook", "murvo.trap.console.ctrl=true\n"));
  Process process = app.start({});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  process.signal(SIGINT);
  RunResult result = process.wait(2);
  EXPECT_TRUE(result.timedOut);
  EXPECT_NE(result.err.find("NoSuchMethodError"), std::string::npos) << result.err;
}

// The system's requests to end, which Windows carries out itself once the
// handler has returned: a program that does not end by initiateExit ends by
// System.exit(128 + signal), its shutdown hooks run.
TEST(RealJdk, TrappedTerminationEndsTheProgramWhateverInitiateExitDoes) {
  // A shutdown hook that never returns: the process ends 5 s after System.exit.
  const std::tuple<int, int, std::string> cases[] = {
      {SIGTERM, 143, ""}, {SIGHUP, 129, ""}, {SIGHUP, 129, "stuck"}};
  for (const auto& [signal, status, argument] : cases) {
    LauncherFolder app;
    app.writeLap(realJdkLap("demo.NoExitHook", "murvo.trap.console.ctrl=yes\n"));
    Process process = app.start({argument});
    ASSERT_TRUE(awaitOutput(process, "waiting"));
    process.signal(signal);
    RunResult result = process.wait(30);
    EXPECT_FALSE(result.timedOut) << argument;
    EXPECT_EQ(result.status, status) << argument;
    EXPECT_EQ(result.out, "waiting\nshutdown hook\n") << argument;
  }
  LauncherFolder ignoring;
  ignoring.writeLap(realJdkLap("demo.CountExits", "murvo.trap.console.ctrl=yes\n"));
  Process process = ignoring.start({"1000"});
  ASSERT_TRUE(awaitOutput(process, "waiting"));
  const auto asked = std::chrono::steady_clock::now();
  process.signal(SIGTERM);
  RunResult result = process.wait(30);
  const auto took = std::chrono::steady_clock::now() - asked;
  EXPECT_EQ(result.status, 143);
  EXPECT_EQ(result.out, "waiting\ninitiateExit 0 #1\n");
  EXPECT_GE(took, std::chrono::seconds(4));
  EXPECT_LT(took, std::chrono::seconds(20));
}

}  // namespace
}  // namespace murvo::e2e
