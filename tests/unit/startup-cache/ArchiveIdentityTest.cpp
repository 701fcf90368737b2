#include <gtest/gtest.h>

#include <map>

#include "startup-cache/ArchiveIdentity.h"
#include "startup-cache/ArchiveJob.h"
#include "startup-cache/CustomLoaderClasses.h"

namespace murvo {

// Which .lap options leave sharing to the .lap, and which shape an archive.
TEST(ArchiveIdentity, OptionsAreSortedByWhatTheyDoToAnArchive) {
  for (const char* own : {"-Xshare:off", "-XX:SharedArchiveFile=a.jsa", "-XX:AOTCache=a.aot",
                          "-XX:+AutoCreateSharedArchive", "-XX:DumpLoadedClassList=l"}) {
    EXPECT_TRUE(isOwnArchiveOption(own)) << own;
  }
  for (const char* shaping : {"-Xmx64m", "-XX:+UseSerialGC", "--add-opens=java.base/java.lang=ALL",
                              "-Djdk.module.addmods=x", "-XX:-UseCompressedOops"}) {
    EXPECT_TRUE(shapesArchive(shaping)) << shaping;
    EXPECT_FALSE(isOwnArchiveOption(shaping)) << shaping;
  }
  for (const char* other : {"-Dapp.name=x", "-Xlog:gc", "-verbose:class", "-javaagent:a.jar",
                            "-agentlib:jdwp=x", "-XX:StartFlightRecording", "-XX:OnError=x"}) {
    EXPECT_FALSE(shapesArchive(other)) << other;
  }
}

// Any change of an input, also of a file's size or time alone, makes a new
// identity; the same inputs make the same one.
TEST(ArchiveIdentity, EveryInputTakesPart) {
  std::map<std::string, platform::FileStamp> files = {
      {"/jdk/libjvm.so", {100, 1}}, {"/app/a.jar", {10, 5}}, {"/app/b.jar", {20, 6}}};
  const StampOf stampOf = [&](const std::string& path) -> std::optional<platform::FileStamp> {
    const auto found = files.find(path);
    return found == files.end() ? std::nullopt : std::optional(found->second);
  };
  const ArchiveInputs base{"/jdk/libjvm.so", {"/app/a.jar", "/app/b.jar"}, {"-Xmx64m"}, "classes"};
  const std::string identity = archiveIdentity(base, stampOf);
  EXPECT_EQ(archiveIdentity(base, stampOf), identity);

  std::vector<ArchiveInputs> changed(5, base);
  changed[0].jvmLibrary = "/jdk2/libjvm.so";
  changed[1].classPath = {"/app/b.jar", "/app/a.jar"};
  changed[2].classPath.push_back("/app/missing.jar");
  changed[3].shapingOptions = {"-Xmx128m"};
  changed[4].kind = "classes linked ahead of time";
  for (const ArchiveInputs& inputs : changed) {
    EXPECT_NE(archiveIdentity(inputs, stampOf), identity);
  }
  // A file copied over another keeps its size and time, if asked to, but not
  // its change time or identity.
  for (const char* file : {"/jdk/libjvm.so", "/app/b.jar"}) {
    const platform::FileStamp kept = files[file];
    for (std::int64_t platform::FileStamp::*part :
         {&platform::FileStamp::modified, &platform::FileStamp::changed}) {
      files[file].*part += 1;
      EXPECT_NE(archiveIdentity(base, stampOf), identity) << file;
      files[file] = kept;
    }
    for (std::uint64_t platform::FileStamp::*part :
         {&platform::FileStamp::size, &platform::FileStamp::file, &platform::FileStamp::volume}) {
      files[file].*part += 1;
      EXPECT_NE(archiveIdentity(base, stampOf), identity) << file;
      files[file] = kept;
    }
  }
  EXPECT_NE(shortHash(identity), shortHash(archiveIdentity(changed[3], stampOf)));
  EXPECT_EQ(shortHash(identity).size(), 16u);
}

TEST(ArchiveIdentity, ClassPathEntriesKeepTheEmptyOnes) {
  using Entries = std::vector<std::string>;
  EXPECT_EQ(classPathEntries("/a.jar:/b.jar", ':'), (Entries{"/a.jar", "/b.jar"}));
  EXPECT_EQ(classPathEntries(":/a.jar:", ':'), (Entries{"", "/a.jar", ""}));
  EXPECT_EQ(classPathEntries("", ':'), (Entries{""}));
}

// A job survives its file whole; a text that is not a complete job is none.
TEST(ArchiveJob, ReadsBackWhatWasWrittenAndNothingElse) {
  const ArchiveJob job{"C:\\jdk\\bin\\server\\jvm.dll",
                       "l",
                       "",
                       "p",
                       "a.jsa",
                       "f",
                       "c",
                       "lock",
                       "dir",
                       "x-",
                       {"-Xshare:dump", "-Dx=a=b", "-Djava.class.path=C:\\Ä b\\a\nb\r\\n.jar"}};
  const std::optional<ArchiveJob> read = decodeArchiveJob(encodeArchiveJob(job));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->jvmLibrary, job.jvmLibrary);
  EXPECT_EQ(read->prefix, job.prefix);
  EXPECT_EQ(read->classLoads, "");
  EXPECT_EQ(read->dumpOptions, job.dumpOptions);
  const std::string text = encodeArchiveJob(job);
  for (const std::string& bad :
       {std::string(), text.substr(0, text.find("option=")), text + "unknown=1\n",
        text + "no separator\n", std::string("jvm=x\noption=y\n"), text + "option=a\\b\n"}) {
    EXPECT_FALSE(decodeArchiveJob(bad)) << bad;
  }
}

// The classes that a jar gave to a loader of the program's join the list
// when their super class and interfaces are named by then; nothing else does.
TEST(CustomLoaderClasses, JoinTheListWhenTheirSupertypesAreKnown) {
  const std::string list = "# comment\njava/lang/Object\njava/lang/Runnable\n@lambda-proxy x\n";
  const std::string app = "loader: [loader data: 0x9 for instance a 'a/AppLoader'{0x1}] bytes: 1";
  const std::string log =
      "java.lang.Object source: shared objects file\n"
      " klass: 0x10 super: 0x0 loader: [loader data: 0x8 of 'bootstrap']\n"
      "java.lang.Runnable source: jrt:/java.base\n"
      " klass: 0x11 super: 0x10 loader: [loader data: 0x8 of 'bootstrap']\n"
      "app.Main source: file:/opt/caf%C3%A9/app.jar\n"
      " klass: 0x20 super: 0x10 interfaces: 0x11 " +
      app +
      "\n"
      "app.Sub source: file:/opt/app.jar\n"
      " klass: 0x21 super: 0x20 " +
      app +
      "\n"
      "app.Orphan source: file:/opt/app.jar\n"
      " klass: 0x22 super: 0x99 " +
      app +
      "\n"
      "app.FromFolder source: file:/opt/classes/\n"
      " klass: 0x23 super: 0x10 " +
      app +
      "\n"
      "app.OnClassPath source: file:/opt/cp.jar\n"
      " klass: 0x24 super: 0x10 loader: [loader data: 0x7 for instance a "
      "'jdk/internal/loader/ClassLoaders$AppClassLoader'{0x2}] bytes: 1\n";
  EXPECT_EQ(withCustomLoaderClasses(list, log),
            "# comment\njava/lang/Object id: 0\njava/lang/Runnable id: 1\n@lambda-proxy x\n"
            "app/Main id: 2 super: 0 interfaces: 1 source: /opt/café/app.jar\n"
            "app/Sub id: 3 super: 2 source: /opt/app.jar\n");
  // A list that already names them, or a log that adds nothing, stays as it is.
  const std::string withIds = "java/lang/Object id: 0\nx/Y id: 1 super: 0 source: /y.jar\n";
  EXPECT_EQ(withCustomLoaderClasses(withIds, log), withIds);
  EXPECT_EQ(withCustomLoaderClasses(list, "garbage\n klass: 0x1\n"), list);
}

}  // namespace murvo
