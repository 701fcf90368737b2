#pragma once

#include <jni.h>

#include <optional>
#include <string>

namespace murvo {

// The value of a system property of the running VM (System.getProperty), in
// modified UTF-8; nothing when it is not set or cannot be read. Leaves no
// exception pending and no local reference behind.
std::optional<std::string> systemProperty(JNIEnv* env, const char* name);

}  // namespace murvo
