// The JVM library as a launch and the start-up cache's archive maker load it.
#pragma once

#include <jni.h>

#include <string>

namespace murvo {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

// Loads the JVM library by its full path, the libraries of its Java home
// found beside it; null when it cannot be loaded.
void* openJvmLibrary(const std::string& jvmPath);

// The library's JNI_CreateJavaVM; null when it exports none.
CreateJavaVm findCreateJavaVm(void* library);

}  // namespace murvo
