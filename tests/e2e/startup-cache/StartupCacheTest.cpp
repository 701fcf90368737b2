// The start-up cache on the real JDKs of the machine: later starts map the
// archive that the first start's classes made, and nothing that befalls the
// cache folder changes what the program prints or its status.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <thread>
#include <vector>

#include "Harness.h"

namespace murvo::e2e {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> arguments = {"with blank", "café", ""};

// The JDKs to try: the build's, and Temurin 25 where the machine has it.
std::vector<std::string> javaHomes() {
  std::vector<std::string> homes = {JDK_HOME};
  const std::string temurin = "/usr/lib/jvm/temurin-25-jdk-amd64";
  if (fs::exists(temurin + "/lib/server/libjvm.so")) homes.push_back(temurin);
  return homes;
}

class CachedApp : public LauncherFolder {
 public:
  explicit CachedApp(const std::string& home) : home(home) {
    const std::string jar =
        home + "/bin/jar cf '" + dir() + "/app.jar' -C '" + javaClasses() + "' .";
    EXPECT_EQ(std::system(jar.c_str()), 0);
  }
  void configure(const std::string& cache) const {
    writeLap("murvo.jvm.path=" + home + "/lib/server/libjvm.so\nmurvo.main.class=demo.PrintArgs\n" +
             "-Djava.class.path=${SELF_HOME}/app.jar\n-Xmx96m\n" +
             (cache.empty() ? "" : "murvo.startup.cache=" + cache + "\n"));
  }
  RunResult start(std::vector<std::string> environment = {}) const {
    environment.push_back("MURVO_TRACE=" + dir() + "/trace");
    return run(arguments, environment);
  }
  std::string trace() const { return readFile(dir() + "/trace"); }
  // The archives in the cache folder, once `count` have been made in all.
  std::vector<std::string> archivesOnceMade(int count, const std::string& cache = "cache") const {
    EXPECT_TRUE(awaitCount([&] { return trace(); }, "startup cache: archive made", count))
        << trace();
    std::vector<std::string> archives;
    for (const auto& entry : fs::directory_iterator(dir() + "/" + cache)) {
      if (entry.path().extension() == ".jsa") archives.push_back(entry.path());
    }
    return archives;
  }

 private:
  std::string home;
};

void expectSame(const RunResult& result, const RunResult& reference, const std::string& what) {
  EXPECT_EQ(result.status, reference.status) << what;
  EXPECT_EQ(result.out, reference.out) << what;
  EXPECT_EQ(result.err, reference.err) << what;
}

int count(const std::string& text, const std::string& part) {
  int found = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++found;
  }
  return found;
}

// The process of the archive maker that works for `folder`, if one runs.
pid_t makerOf(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string environment = readFile(entry.path().string() + "/environ");
    if (environment.find("MURVO_STARTUP_CACHE_WORK=make " + folder) != std::string::npos) {
      return std::atoi(entry.path().filename().c_str());
    }
  }
  return 0;
}

// Removes the cache folder once no maker works in it any more.
void removeCache(const std::string& folder) {
  for (int i = 0; i < 3000 && makerOf(folder); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  fs::remove_all(folder);
}

TEST(StartupCache, LaterStartsMapTheArchiveAndPrintTheSame) {
  for (const std::string& home : javaHomes()) {
    CachedApp app(home);
    app.configure("");
    const RunResult reference = app.start();
    ASSERT_EQ(reference.status, 0) << reference.err;

    app.configure("cache");
    expectSame(app.start(), reference, home + ": first start");
    EXPECT_NE(app.trace().find("this start records its classes"), std::string::npos);
    const std::vector<std::string> made = app.archivesOnceMade(1);
    ASSERT_EQ(made.size(), 1u) << home;
    expectSame(app.start(), reference, home + ": later start");
    EXPECT_NE(app.trace().find("startup cache: archive used: " + made[0]), std::string::npos);

    // A new jar makes a new archive, and the outdated one goes.
    fs::last_write_time(app.dir() + "/app.jar", fs::file_time_type::clock::now());
    expectSame(app.start(), reference, home + ": class path changed");
    const std::vector<std::string> remade = app.archivesOnceMade(2);
    ASSERT_EQ(remade.size(), 1u) << home;
    EXPECT_NE(remade[0], made[0]);
  }
}

TEST(StartupCache, NothingThatBefallsTheCacheChangesTheProgram) {
  CachedApp app(JDK_HOME);
  app.configure("");
  const RunResult reference = app.start();
  app.configure("cache");
  app.start();
  const std::string archive = app.archivesOnceMade(1).at(0);
  const std::string good = readFile(archive);
  // Overwritten in place, as a crash during a write leaves it: the JVM would
  // crash mapping it. Each damaged archive is left out and made anew.
  std::string overwritten = good;
  overwritten.replace(good.size() / 2, 4096, 4096, '\x5a');
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {"overwritten", overwritten},
      {"truncated", good.substr(0, 100000)},
      {"empty", ""},
      {"foreign", std::string(3000000, 'x')},
  };
  int made = 1;
  for (const auto& [what, bytes] : damaged) {
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
    expectSame(app.start(), reference, what);
    EXPECT_EQ(count(app.trace(), "the archive is not the one its maker made, removed"), made)
        << what;
    EXPECT_EQ(app.archivesOnceMade(++made).size(), 1u) << what;
  }
  // A jar replaced by another of the same size and time is noticed.
  const std::string jar = app.dir() + "/app.jar";
  const auto time = fs::last_write_time(jar);
  fs::copy_file(jar, jar + ".new");
  fs::rename(jar + ".new", jar);
  fs::last_write_time(jar, time);
  expectSame(app.start(), reference, "same-size update");
  EXPECT_EQ(count(app.trace(), "this start records its classes"), ++made);
  const std::vector<std::string> updated = app.archivesOnceMade(made);
  ASSERT_EQ(updated.size(), 1u);
  EXPECT_NE(updated[0], archive);

  // The environment's options and log files are the program's: the maker
  // neither takes them nor writes the program's log.
  app.makeDir("work");
  app.startIn("work");
  app.configure("cache\n-Xmx97m");
  const std::vector<std::string> gcLog = {"JAVA_TOOL_OPTIONS=-Xlog:gc:file=gc.log"};
  const RunResult logged = app.start(gcLog);
  const std::string programLog = readFile(app.dir() + "/work/gc.log");
  EXPECT_NE(programLog, "");
  app.archivesOnceMade(++made);
  EXPECT_EQ(readFile(app.dir() + "/work/gc.log"), programLog);
  EXPECT_EQ(app.start(gcLog).out, logged.out);
  EXPECT_NE(app.trace().find("archive used"), std::string::npos);
  // (java rotates the log of the start before: gc.log.0)
  fs::remove(app.dir() + "/work/gc.log");
  fs::remove(app.dir() + "/work/gc.log.0");
  EXPECT_TRUE(fs::is_empty(app.dir() + "/work"));

  fs::remove(updated[0]);
  app.configure("cache");
  fs::create_directory(updated[0]);
  expectSame(app.start(), reference, "a folder");
  EXPECT_TRUE(awaitCount([&] { return app.trace(); }, "the JVM could not make the archive", 1));

  // Several first starts at once: one archive.
  removeCache(app.dir() + "/cache");
  std::vector<Process> starts;
  for (int i = 0; i < 6; ++i) {
    starts.push_back(app.LauncherFolder::start(arguments, {"MURVO_TRACE=" + app.dir() + "/trace"}));
  }
  for (Process& start : starts) expectSame(start.wait(), reference, "concurrent first start");
  EXPECT_EQ(app.archivesOnceMade(++made).size(), 1u);

  // A maker killed at work: the next start works and makes the archive again.
  removeCache(app.dir() + "/cache");
  expectSame(app.start(), reference, "start whose maker is killed");
  pid_t maker = 0;
  for (int i = 0; i < 500 && !maker; ++i) {
    maker = makerOf(app.dir() + "/cache");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(maker, 0);
  if (maker) kill(maker, SIGKILL);
  expectSame(app.start(), reference, "start after the kill");
  EXPECT_EQ(app.archivesOnceMade(++made).size(), 1u);
}

// The dump crashes as JDK 17's does for some lambda proxies (the test double
// crashes on any "@" line of the class list, and on crash/Dump): the maker tries once more
// without those lines. A dump that crashes whatever it is given leaves its
// crash log and the failure mark in the cache folder, nothing where the
// program was started, and the launch runs without an archive from then on.
// A launch that fails leaves nothing behind, and two programs sharing the
// folder keep their archives side by side.
TEST(StartupCache, TheMakerRecoversWhereItCanAndKeepsToTheCacheFolder) {
  LauncherFolder app;
  app.makeDir("jdk/lib/server");
  app.makeDir("work");
  fs::copy_file(FAKE_JVM_LIBRARY, app.dir() + "/jdk/lib/server/libjvm.so");
  app.writeFile("jdk/release", "JAVA_VERSION=\"21.0.2\"\n");
  app.writeFile("app.jar", "");
  app.startIn("work");
  const auto configure = [&](const std::string& more) {
    app.writeLap(
        "murvo.jvm.path=${SELF_HOME}/jdk/lib/server/libjvm.so\nmurvo.main.class=demo.Main\n"
        "-Dfakejvm.classes=demo/Main,@lambda-proxy\n-Djava.class.path=${SELF_HOME}/app.jar\n"
        "murvo.startup.cache=cache\n" +
        more);
  };
  const std::vector<std::string> environment = {"MURVO_TRACE=" + app.dir() + "/trace"};
  const auto trace = [&] { return readFile(app.dir() + "/trace"); };
  configure("");
  ASSERT_EQ(app.run({}, environment).status, 0);
  ASSERT_TRUE(awaitCount(trace, "startup cache: archive made", 1)) << trace();
  EXPECT_NE(trace().find("the JVM failed on the class list, again without its @ lines"),
            std::string::npos);
  std::vector<std::string> files;
  for (const auto& entry : fs::directory_iterator(app.dir() + "/cache")) {
    files.push_back(entry.path().filename());
  }
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 3u);
  EXPECT_TRUE(files[0].ends_with(".jsa") && files[1].ends_with(".seal")) << files[0];
  EXPECT_EQ(files[2], "maker.lock");
  EXPECT_EQ(readFile(app.dir() + "/cache/" + files[0]), "fakejvm archive of\ndemo/Main\n");

  configure("-Dfakejvm.classes=demo/Main,@lambda-proxy,crash/Dump\n-Xmx33m\n");
  ASSERT_EQ(app.run({}, environment).status, 0);
  ASSERT_TRUE(awaitCount(trace, "the JVM could not make the archive", 1)) << trace();
  ASSERT_TRUE(awaitCount(trace, "startup cache: the JVM's crash log: ", 1)) << trace();
  const std::string crashLog = trace().substr(trace().find("crash log: ") + 11);
  EXPECT_EQ(readFile(crashLog.substr(0, crashLog.find('\n'))), "fakejvm: crashed while dumping\n");
  EXPECT_TRUE(fs::is_empty(app.dir() + "/work"));
  ASSERT_EQ(app.run({}, environment).status, 0);
  EXPECT_NE(trace().find("startup cache: none, the JVM could not make an archive"),
            std::string::npos);

  // A launch that fails leaves nothing it had begun.
  configure("-Dfakejvm.fail=create\n-Xmx34m\n");
  EXPECT_EQ(app.run({}, environment).status, 1);
  for (const auto& entry : fs::directory_iterator(app.dir() + "/cache")) {
    EXPECT_FALSE(entry.path().extension() == ".job" || entry.path().extension() == ".classlist")
        << entry.path();
  }

  // Two programs sharing the folder keep each other's archives.
  configure("");
  fs::copy_file(app.exePath(), app.dir() + "/other");
  fs::copy_file(app.dir() + "/app.lap", app.dir() + "/other.lap");
  ASSERT_EQ(app.run({}, environment).status, 0);
  ASSERT_TRUE(awaitCount(trace, "startup cache: archive made", 2)) << trace();
  ASSERT_EQ(app.runCommand({app.dir() + "/other"}, environment).status, 0);
  ASSERT_TRUE(awaitCount(trace, "startup cache: archive made", 3)) << trace();
  ASSERT_EQ(app.run({}, environment).status, 0);
  ASSERT_EQ(app.runCommand({app.dir() + "/other"}, environment).status, 0);
  EXPECT_EQ(count(trace(), "startup cache: archive used"), 2) << trace();

  // An archive the JVM does not map after all goes, and for a while the
  // launch runs without one rather than recording at every start.
  configure("-Dfakejvm.sharing=off\n");
  ASSERT_EQ(app.run({}, environment).status, 0);
  EXPECT_NE(trace().find("the JVM did not map the archive, removed"), std::string::npos);
  ASSERT_EQ(app.run({}, environment).status, 0);
  EXPECT_EQ(count(trace(), "startup cache: none, the JVM could not make an archive"), 2);
}

// Debian's packaged Java programs, started with the main class, class path
// and options of their own start scripts: with the cache, the first start
// and a later one that maps the archive print what `java` prints, byte for
// byte (but for the time JRuby puts in a warning), with the same status, and
// nothing lands where they were started. javac runs with no class path at
// all (the current directory, as `java` takes it).
TEST(StartupCache, RealProgramsPrintWhatJavaPrints) {
  struct Program {
    std::string name, mainClass, classPath;
    std::vector<std::string> options, arguments;
  };
  const std::string jruby = "/usr/share/jruby/lib/";
  const std::vector<Program> programs = {
      {"ant",
       "org.apache.tools.ant.launch.Launcher",
       "/usr/share/ant/lib/ant-launcher.jar",
       {"-Dant.home=/usr/share/ant", "-Dant.library.dir=/usr/share/ant/lib"},
       {"-version"}},
      {"maven",
       "org.codehaus.plexus.classworlds.launcher.Launcher",
       "/usr/share/maven/boot/plexus-classworlds-2.x.jar",
       {"-Dclassworlds.conf=/usr/share/maven/bin/m2.conf", "-Dmaven.home=/usr/share/maven",
        "-Dmaven.multiModuleProjectDirectory=/tmp"},
       {"-v"}},
      {"checkstyle",
       "com.puppycrawl.tools.checkstyle.Main",
       "/usr/share/java/antlr4-runtime.jar:/usr/share/java/commons-lang3.jar:"
       "/usr/share/java/commons-beanutils.jar:/usr/share/java/commons-collections3.jar:"
       "/usr/share/java/guava.jar:/usr/share/java/commons-cli.jar:"
       "/usr/share/java/commons-logging.jar:/usr/share/java/picocli.jar:"
       "/usr/share/java/Saxon-HE.jar:/usr/share/java/reflections.jar:/usr/share/java/"
       "checkstyle.jar",
       {},
       {"--version"}},
      {"jython",
       "org.python.util.jython",
       "/usr/share/java/jython.jar",
       {"-Dpython.home=/usr/share/jython"},
       {"-c", "print(6 * 7)"}},
      {"jruby",
       "org.jruby.Main",
       jruby + "bcprov.jar:" + jruby + "jansi1.jar:" + jruby + "jline2.jar:" + jruby +
           "snakeyaml.jar:",
       {"-Xss2048k", "-Xbootclasspath/a:" + jruby + "jruby.jar", "-Djruby.home=/usr/share/jruby",
        "-Djruby.lib=/usr/share/jruby/lib", "-Djruby.shell=/bin/sh"},
       {"-e", "puts 6 * 7"}},
      {"clojure",
       "clojure.main",
       "/usr/share/java/clojure-1.11.jar",
       {},
       {"-e", "(println (* 6 7))"}},
      {"groovy",
       "org.codehaus.groovy.tools.GroovyStarter",
       "/usr/share/groovy/lib/groovy-2.4.21.jar",
       {"-Dgroovy.home=/usr/share/groovy",
        "-Dgroovy.starter.conf=/usr/share/groovy/conf/groovy-starter.conf"},
       {"--main", "groovy.ui.GroovyMain", "--conf", "/usr/share/groovy/conf/groovy-starter.conf",
        "-e", "println 6 * 7"}},
      {"javac", "com.sun.tools.javac.Main", "", {}, {"-version"}},
  };
  const std::regex time("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+Z");
  const auto normal = [&](RunResult result) {
    result.out = std::regex_replace(result.out, time, "(time)");
    result.err = std::regex_replace(result.err, time, "(time)");
    return result;
  };
  for (const std::string& home : javaHomes()) {
    for (const Program& program : programs) {
      const std::string what = program.name + " on " + home;
      const std::string firstJar = program.classPath.substr(0, program.classPath.find(':'));
      if (!firstJar.empty() && !fs::exists(firstJar)) {
        std::cerr << "skipped " << what << ": " << firstJar << " is missing\n";
        continue;
      }
      LauncherFolder app(program.name);
      app.makeDir("work");
      app.startIn("work");
      std::string lap = "murvo.jvm.path=" + home +
                        "/lib/server/libjvm.so\nmurvo.main.class=" + program.mainClass +
                        "\nmurvo.startup.cache=cache\n";
      std::vector<std::string> java = {home + "/bin/java"};
      for (const std::string& option : program.options) {
        lap += option + "\n";
        java.push_back(option);
      }
      if (!program.classPath.empty()) {
        lap += "-Djava.class.path=" + program.classPath + "\n";
        java.insert(java.end(), {"-cp", program.classPath});
      }
      java.push_back(program.mainClass);
      java.insert(java.end(), program.arguments.begin(), program.arguments.end());
      app.writeLap(lap);
      const std::vector<std::string> environment = {"MURVO_TRACE=" + app.dir() + "/trace"};
      const auto trace = [&] { return readFile(app.dir() + "/trace"); };
      const RunResult reference = normal(app.runCommand(java, {}, 120));
      expectSame(normal(app.run(program.arguments, environment, 120)), reference, what + ", first");
      EXPECT_TRUE(awaitCount(trace, "startup cache: archive made", 1, 120)) << what << "\n"
                                                                            << trace();
      expectSame(normal(app.run(program.arguments, environment, 120)), reference, what + ", later");
      EXPECT_NE(trace().find("startup cache: archive used"), std::string::npos) << what;
      EXPECT_EQ(trace().find("did not map"), std::string::npos) << what;
      if (program.name == "groovy") {
        // Groovy's own class loader defines its main class, from the archive
        // too. A log option leaves the archive as it is.
        app.run(program.arguments,
                {"JAVA_TOOL_OPTIONS=-Xlog:class+load:file=" + app.dir() + "/loads"}, 120);
        EXPECT_NE(readFile(app.dir() + "/loads").find("groovy.ui.GroovyMain source: shared"),
                  std::string::npos)
            << what;
      }
      EXPECT_TRUE(fs::is_empty(app.dir() + "/work")) << what;
      removeCache(app.dir() + "/cache");
    }
  }
}

// The cache is used only in a folder that nobody but the user could have
// written; anywhere else the program starts as without it.
TEST(StartupCache, OnlyAFolderOfTheUsersAloneIsUsed) {
  if (geteuid() != 0) {
    GTEST_SKIP() << "needs root to give folders to another user";
  }
  CachedApp app(JDK_HOME);
  app.configure("");
  const RunResult reference = app.start();
  const auto folder = [&](const std::string& name, fs::perms mode, bool nobodys) {
    app.makeDir(name);
    fs::permissions(app.dir() + "/" + name, mode);
    if (nobodys) {
      EXPECT_EQ(chown((app.dir() + "/" + name).c_str(), 65534, 65534), 0);
    }
  };
  folder("shared", fs::perms::all, true);
  folder("grouped", fs::perms::owner_all | fs::perms::group_all, false);
  folder("open", fs::perms::all, true);
  folder("own", fs::perms::owner_all, false);
  fs::create_directory_symlink(app.dir() + "/own", app.dir() + "/link");
  folder("tmp", fs::perms::all | fs::perms::sticky_bit, false);
  folder("tmp/app", fs::perms::owner_all, true);
  folder("tmp2", fs::perms::all | fs::perms::sticky_bit, false);
  const std::string tmp = "XDG_CACHE_HOME=" + app.dir() + "/tmp";
  const struct {
    std::string setting, environment, trace;
  } cases[] = {
      {"shared", "", "shared is not the user's alone: it belongs to another user"},
      {"grouped", "", "grouped is not the user's alone: others may write it"},
      {"link", "", "link is not the user's alone: it is a symbolic link"},
      {"open/cache", "", "open above the cache is not safe: it belongs to another user"},
      {"a:b", "", "the JVM cannot take the folder " + app.dir() + "/a:b: it holds ':'"},
      {"auto", tmp, "tmp/app is not the user's alone: it belongs to another user"},
      {"auto", "XDG_CACHE_HOME=" + app.dir() + "/tmp2", "this start records its classes"},
  };
  for (const auto& c : cases) {
    fs::remove(app.dir() + "/trace");
    app.configure(c.setting);
    expectSame(app.start({c.environment.empty() ? "X=" : c.environment}), reference, c.setting);
    EXPECT_NE(app.trace().find(c.trace), std::string::npos) << c.setting << "\n" << app.trace();
  }
  EXPECT_TRUE(fs::is_empty(app.dir() + "/shared"));
  EXPECT_TRUE(fs::is_empty(app.dir() + "/own"));
  removeCache(app.dir() + "/tmp2/app/startup-cache");
}

TEST(StartupCache, AFolderThatCannotBeWrittenMeansNoCache) {
  CachedApp app(JDK_HOME);
  app.configure("");
  const RunResult reference = app.start();
  app.configure("cache");
  app.makeDir("cache");
  const std::string cache = app.dir() + "/cache";
  // A read-only folder, a full disk and one that fills up while the program
  // runs, as root can make them.
  for (const std::string options :
       {"ro,size=1m,mode=700", "size=64k,mode=700", "size=128k,mode=700"}) {
    if (mount("tmpfs", cache.c_str(), "tmpfs", options.starts_with("ro") ? MS_RDONLY : 0,
              options.c_str()) != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    if (options.starts_with("size=64k")) app.writeFile("cache/fill", std::string(64 * 1024, 'f'));
    expectSame(app.start(), reference, options);
    expectSame(app.start(), reference, options + ", again");
    umount2(cache.c_str(), MNT_DETACH);
  }
  EXPECT_NE(app.trace().find("startup cache: none, the folder cannot be written"),
            std::string::npos);
}

}  // namespace
}  // namespace murvo::e2e
