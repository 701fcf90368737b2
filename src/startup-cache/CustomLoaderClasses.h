// The classes that the program's own class loaders take from jar files.
// Java 11 to 17 leave them out of the class list that a start records, though
// their archives can hold them: the recording start then also logs the classes
// it loads, and the maker adds those of the program's loaders to the list,
// their super class and interfaces read from their class files.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace murvo {

// True for the Java feature versions whose class list leaves them out.
inline bool classListLeavesOutCustomLoaders(int feature) {
  return feature < 18;
}

// The room the cache's volume must have for the log to be kept: the JVM
// reports a log it cannot write on the program's error output.
inline constexpr std::uint64_t roomForClassLoadLog = 512ull * 1024 * 1024;

// The JVM's class loading log option that gives each class's name and
// source, written to `file`. Only that: the log's detail level, with each
// class's loader and supertypes, costs the start about twice as much.
std::string classLoadLogOption(const std::string& file);

// The bytes of the entry `name` of the jar at `path`, when it has one.
using JarEntryBytes =
    std::function<std::optional<std::string>(const std::string& path, const std::string& name)>;

// The class list with an id on each class it names and a line for each class
// of the log that a jar gave to a loader of the program's (a class from a jar
// that the list leaves out), when its super class and interfaces have ids by
// then; the list as it is when the log adds nothing or the list already names
// such classes.
std::string withCustomLoaderClasses(std::string_view classList, std::string_view classLoadLog,
                                    const JarEntryBytes& jarEntry);

}  // namespace murvo
