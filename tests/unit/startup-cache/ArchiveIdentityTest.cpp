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

// A class file naming `name`, its super class and interfaces, with a long
// constant before them (it takes two entries of the constant pool).
std::string classFile(const std::string& name, const std::string& super,
                      const std::vector<std::string>& interfaces) {
  std::string bytes = "\xca\xfe\xba\xbe";
  const auto u2 = [&](std::size_t value) {
    bytes += static_cast<char>(value >> 8);
    bytes += static_cast<char>(value & 0xff);
  };
  u2(0);
  u2(61);
  std::vector<std::string> names = {name, super};
  names.insert(names.end(), interfaces.begin(), interfaces.end());
  u2(3 + 2 * names.size());
  bytes += std::string("\x05", 1) + std::string(8, '\x7f');
  for (std::size_t i = 0; i < names.size(); ++i) {
    bytes += '\x01';
    u2(names[i].size());
    bytes += names[i];
    bytes += '\x07';
    u2(3 + 2 * i);
  }
  u2(0x21);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i == 2) u2(interfaces.size());
    u2(4 + 2 * i);
  }
  if (interfaces.empty()) u2(0);
  return bytes;
}

// The classes that a jar gave to a loader of the program's join the list
// when their super class and interfaces are named by then; nothing else does.
TEST(CustomLoaderClasses, JoinTheListWhenTheirSupertypesAreKnown) {
  const std::string list =
      "# comment\njava/lang/Object\njava/lang/Runnable\napp/OnClassPath\n@lambda-proxy x\n";
  const std::string log =
      "java.lang.Object source: shared objects file\n"
      "java.lang.Runnable source: jrt:/java.base\n"
      "app.OnClassPath source: file:/opt/cp.jar\n"
      "app.Main source: file:/opt/caf%C3%A9/app.jar\n"
      "app.Sub source: file:/opt/app.jar\n"
      "app.Orphan source: file:/opt/app.jar\n"
      "app.Misnamed source: file:/opt/app.jar\n"
      "app.Damaged source: file:/opt/app.jar\n"
      "app.Missing source: file:/opt/app.jar\n"
      "app.FromFolder source: file:/opt/classes/\n"
      "app.Main$$Lambda$1/0x01 source: app.Main\n";
  const std::map<std::string, std::string> jars = {
      {"/opt/café/app.jar!app/Main.class",
       classFile("app/Main", "java/lang/Object", {"java/lang/Runnable"})},
      {"/opt/app.jar!app/Sub.class", classFile("app/Sub", "app/Main", {})},
      {"/opt/app.jar!app/Orphan.class", classFile("app/Orphan", "app/Unknown", {})},
      {"/opt/app.jar!app/Misnamed.class", classFile("app/Other", "java/lang/Object", {})},
      {"/opt/app.jar!app/Damaged.class",
       classFile("app/Damaged", "java/lang/Object", {}).substr(0, 30)}};
  const JarEntryBytes jarEntry = [&](const std::string& path,
                                     const std::string& name) -> std::optional<std::string> {
    const auto entry = jars.find(path + "!" + name);
    return entry == jars.end() ? std::nullopt : std::optional<std::string>(entry->second);
  };
  EXPECT_EQ(withCustomLoaderClasses(list, log, jarEntry),
            "# comment\njava/lang/Object id: 0\njava/lang/Runnable id: 1\n"
            "app/OnClassPath id: 2\n@lambda-proxy x\n"
            "app/Main id: 3 super: 0 interfaces: 1 source: /opt/café/app.jar\n"
            "app/Sub id: 4 super: 3 source: /opt/app.jar\n");
  // A list that already names them, or a log that adds nothing, stays as it is.
  const std::string withIds = "java/lang/Object id: 0\nx/Y id: 1 super: 0 source: /y.jar\n";
  EXPECT_EQ(withCustomLoaderClasses(withIds, log, jarEntry), withIds);
  EXPECT_EQ(withCustomLoaderClasses(list, "garbage\n source: file:/a.jar\n", jarEntry), list);
}

}  // namespace murvo
