#include "vm/ModuleMain.h"

#include "reporting/ErrorReporter.h"
#include "vm/JavaStrings.h"

namespace murvo {

namespace {

// Optional.orElse(null).
jobject presentOrNull(JNIEnv* env, jobject optional) {
  if (!optional) return nullptr;
  jclass type = env->FindClass("java/util/Optional");
  jmethodID orElse =
      type ? env->GetMethodID(type, "orElse", "(Ljava/lang/Object;)Ljava/lang/Object;") : nullptr;
  return orElse ? env->CallObjectMethod(optional, orElse, nullptr) : nullptr;
}

// ModuleLayer.boot().findModule(name), or null.
jobject bootLayerModule(JNIEnv* env, const std::string& name) {
  jclass layerType = env->FindClass("java/lang/ModuleLayer");
  if (!layerType) return nullptr;
  jmethodID boot = env->GetStaticMethodID(layerType, "boot", "()Ljava/lang/ModuleLayer;");
  jmethodID findModule =
      env->GetMethodID(layerType, "findModule", "(Ljava/lang/String;)Ljava/util/Optional;");
  if (!boot || !findModule) return nullptr;
  jobject layer = env->CallStaticObjectMethod(layerType, boot);
  jstring javaName = newJavaString(env, name);
  if (!layer || !javaName) return nullptr;
  return presentOrNull(env, env->CallObjectMethod(layer, findModule, javaName));
}

// module.getDescriptor().mainClass(), or empty.
std::string descriptorMainClass(JNIEnv* env, jobject module) {
  jclass moduleType = env->GetObjectClass(module);
  jmethodID getDescriptor =
      env->GetMethodID(moduleType, "getDescriptor", "()Ljava/lang/module/ModuleDescriptor;");
  jobject descriptor = getDescriptor ? env->CallObjectMethod(module, getDescriptor) : nullptr;
  if (!descriptor) return {};
  jmethodID mainClass =
      env->GetMethodID(env->GetObjectClass(descriptor), "mainClass", "()Ljava/util/Optional;");
  if (!mainClass) return {};
  auto name =
      static_cast<jstring>(presentOrNull(env, env->CallObjectMethod(descriptor, mainClass)));
  if (!name) return {};
  const char* chars = env->GetStringUTFChars(name, nullptr);
  if (!chars) return {};
  std::string text = chars;
  env->ReleaseStringUTFChars(name, chars);
  return text;
}

// Class.forName(module, name): null when the module holds no such class.
jclass classInModule(JNIEnv* env, jobject module, const std::string& name) {
  jclass classType = env->FindClass("java/lang/Class");
  if (!classType) return nullptr;
  jmethodID forName = env->GetStaticMethodID(
      classType, "forName", "(Ljava/lang/Module;Ljava/lang/String;)Ljava/lang/Class;");
  jstring javaName = newJavaString(env, name);
  if (!forName || !javaName) return nullptr;
  return static_cast<jclass>(env->CallStaticObjectMethod(classType, forName, module, javaName));
}

}  // namespace

std::string moduleName(const std::string& mainModule) {
  return mainModule.substr(0, mainModule.find('/'));
}

jclass findModuleMainClass(JNIEnv* env, const std::string& mainModule, std::string& className) {
  const std::string name = moduleName(mainModule);
  jobject module = bootLayerModule(env, name);
  if (!module) {
    if (env->ExceptionOccurred()) env->ExceptionDescribe();
    throw LauncherError("Module " + name + " not found on the module path");
  }
  const std::size_t slash = mainModule.find('/');
  if (slash != std::string::npos) {
    className = mainModule.substr(slash + 1);
  } else if (className.empty()) {
    className = descriptorMainClass(env, module);
  }
  if (className.empty()) {
    if (env->ExceptionOccurred()) env->ExceptionDescribe();
    throw LauncherError("Module " + name + " names no main class: set murvo.main.module=" + name +
                        "/<main class>");
  }
  jclass mainClass = classInModule(env, module, className);
  if (!mainClass && env->ExceptionOccurred()) env->ExceptionDescribe();
  return mainClass;
}

}  // namespace murvo
