// The path texts that differ between Windows and POSIX.
#pragma once

namespace murvo::platform {

#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
inline constexpr char classPathSeparator = ';';
inline constexpr const char* jvmLibraryName = "\\jvm.dll";
inline constexpr const char* developmentKitJvmPiece = "\\jre\\bin\\";
inline constexpr const char* runtimeJvmPiece = "\\bin\\";
inline constexpr const char* defaultJvmDir = "client";
#else
inline constexpr char pathSeparator = '/';
inline constexpr char classPathSeparator = ':';
inline constexpr const char* jvmLibraryName = "/libjvm.so";
inline constexpr const char* developmentKitJvmPiece = "/lib/";
inline constexpr const char* runtimeJvmPiece = "/lib/";
inline constexpr const char* defaultJvmDir = "server";
#endif

}  // namespace murvo::platform
