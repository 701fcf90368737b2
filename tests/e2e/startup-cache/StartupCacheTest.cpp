// The start-up cache on the real JDKs of the machine: later starts map the
// archive that the first start's classes made, and nothing that befalls the
// cache folder changes what the program prints or its status.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
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
  RunResult start() const { return run(arguments, {"MURVO_TRACE=" + dir() + "/trace"}); }
  std::string trace() const { return readFile(dir() + "/trace"); }
  // The archives in the cache folder, once `count` have been made in all.
  std::vector<std::string> archivesOnceMade(int count) const {
    EXPECT_TRUE(awaitCount([&] { return trace(); }, "startup cache: archive made", count))
        << trace();
    std::vector<std::string> archives;
    for (const auto& entry : fs::directory_iterator(dir() + "/cache")) {
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
  const std::vector<std::pair<std::string, std::string>> damaged = {
      {"truncated", good.substr(0, 100000)},
      {"empty", ""},
      {"foreign", std::string(3000000, 'x')},
  };
  for (const auto& [what, bytes] : damaged) {
    fs::remove(archive);
    app.writeFile(fs::relative(archive, app.dir()), bytes);
    expectSame(app.start(), reference, what);
  }
  fs::remove(archive);
  fs::create_directory(archive);
  expectSame(app.start(), reference, "a folder");
  EXPECT_TRUE(awaitCount([&] { return app.trace(); }, "the JVM could not make the archive", 1));

  // Several first starts at once: one archive.
  removeCache(app.dir() + "/cache");
  std::vector<Process> starts;
  for (int i = 0; i < 6; ++i) {
    starts.push_back(app.LauncherFolder::start(arguments, {"MURVO_TRACE=" + app.dir() + "/trace"}));
  }
  for (Process& start : starts) expectSame(start.wait(), reference, "concurrent first start");
  EXPECT_EQ(app.archivesOnceMade(2).size(), 1u);

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
  EXPECT_EQ(app.archivesOnceMade(3).size(), 1u);
}

TEST(StartupCache, AFolderThatCannotBeWrittenMeansNoCache) {
  CachedApp app(JDK_HOME);
  app.configure("");
  const RunResult reference = app.start();
  app.configure("cache");
  app.makeDir("cache");
  const std::string cache = app.dir() + "/cache";
  // A read-only folder and a full disk, as root can make them.
  for (const std::string options : {"ro,size=1m,mode=700", "size=64k,mode=700"}) {
    if (mount("tmpfs", cache.c_str(), "tmpfs", options.starts_with("ro") ? MS_RDONLY : 0,
              options.c_str()) != 0) {
      GTEST_SKIP() << "cannot mount a tmpfs here";
    }
    if (!options.starts_with("ro")) app.writeFile("cache/fill", std::string(64 * 1024, 'f'));
    expectSame(app.start(), reference, options);
    expectSame(app.start(), reference, options + ", again");
    umount2(cache.c_str(), MNT_DETACH);
  }
  EXPECT_NE(app.trace().find("startup cache: none, the folder cannot be written"),
            std::string::npos);
}

}  // namespace
}  // namespace murvo::e2e
