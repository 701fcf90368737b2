#pragma once

#include <jni.h>

#include <string>

namespace murvo {

// The main class of a modular program, as `java -m` finds it: `mainModule`
// is "module" (its descriptor names the main class) or "module/class"; the
// module is taken from the boot layer, which the VM resolved from the module
// path. `className` is filled with the class's name. Throws a LauncherError
// naming the module when it is not there or names no main class.
jclass findModuleMainClass(JNIEnv* env, const std::string& mainModule, std::string& className);

// The module part of "module" or "module/class".
std::string moduleName(const std::string& mainModule);

}  // namespace murvo
