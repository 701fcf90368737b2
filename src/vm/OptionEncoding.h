#pragma once

#include <jni.h>

#include <string>

namespace murvo {

// True when a JVM of this version decodes its options in the process's code
// page, which is UTF-8 for the launcher: Java 19 and later, 17.0.4 and later
// 17 updates, 11.0.16 and later 11 updates, and a JVM whose version is not
// known. Older ones decode them in the legacy ANSI code page.
bool decodesOptionsAsUtf8(const std::string& version);

// Gives the options the encoding that the JVM library at `jvmPath` decodes
// them with, where the system has a legacy code page: older JVMs (by the
// release file of the Java home the library lies in) get theirs in it.
void encodeOptionsFor(const std::string& jvmPath, JavaVMInitArgs& args);

}  // namespace murvo
