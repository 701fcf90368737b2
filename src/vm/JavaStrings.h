// Java strings made from the launcher's UTF-8 texts through UTF-16, which
// keeps every character, where modified UTF-8 through NewStringUTF would not.
#pragma once

#include <jni.h>

#include <string>
#include <vector>

namespace murvo {

jstring newJavaString(JNIEnv* env, const std::string& utf8);
// A String[] of the texts; null when the VM is out of memory.
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts);

}  // namespace murvo
