// The path texts that differ between Windows and POSIX.
#pragma once

#include <string_view>

namespace murvo::platform {

#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
inline constexpr char pathListSeparator = ';';
inline constexpr const char* executableSuffix = ".exe";
inline constexpr const char* jvmLibraryName = "\\jvm.dll";
inline constexpr const char* developmentKitJvmPiece = "\\jre\\bin\\";
inline constexpr const char* runtimeJvmPiece = "\\bin\\";
inline constexpr const char* defaultJvmDir = "client";
// The splash and instrumentation libraries inside a Java home.
inline constexpr const char* splashLibraryPiece = "\\bin\\splashscreen.dll";
inline constexpr const char* instrumentLibraryPiece = "\\bin\\instrument.dll";
// The folders of the JVM's folder inside a Java home: today's Java, and the
// runtime inside a Java 8 development kit.
inline constexpr const char* jvmFolderPieces[] = {"\\bin\\", "\\jre\\bin\\"};
#else
inline constexpr char pathSeparator = '/';
inline constexpr char pathListSeparator = ':';
inline constexpr const char* executableSuffix = "";
inline constexpr const char* jvmLibraryName = "/libjvm.so";
inline constexpr const char* developmentKitJvmPiece = "/lib/";
inline constexpr const char* runtimeJvmPiece = "/lib/";
inline constexpr const char* defaultJvmDir = "server";
inline constexpr const char* splashLibraryPiece = "/lib/libsplashscreen.so";
inline constexpr const char* instrumentLibraryPiece = "/lib/libinstrument.so";
#if defined(__aarch64__)
inline constexpr const char* jvmFolderPieces[] = {"/lib/", "/jre/lib/aarch64/"};
#else
inline constexpr const char* jvmFolderPieces[] = {"/lib/", "/jre/lib/amd64/"};
#endif
#endif
// Class paths and PATH separate their elements alike.
inline constexpr char classPathSeparator = pathListSeparator;

// True for a path that names the same file whatever the current directory:
// on Windows C:\x, C:/x or \\server\share, elsewhere /x.
inline bool isAbsolutePath(std::string_view path) {
#ifdef _WIN32
  const auto isSlash = [](char c) { return c == '\\' || c == '/'; };
  const bool drive = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
                     path[1] == ':' && isSlash(path[2]);
  return drive || (path.size() >= 2 && isSlash(path[0]) && isSlash(path[1]));
#else
  return path.starts_with('/');
#endif
}

}  // namespace murvo::platform
