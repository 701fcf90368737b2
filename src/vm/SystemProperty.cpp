#include "vm/SystemProperty.h"

namespace murvo {

std::optional<std::string> systemProperty(JNIEnv* env, const char* name) {
  if (env->PushLocalFrame(8) != 0) {
    env->ExceptionClear();
    return std::nullopt;
  }
  std::optional<std::string> value;
  jclass system = env->FindClass("java/lang/System");
  jmethodID getProperty = system ? env->GetStaticMethodID(system, "getProperty",
                                                          "(Ljava/lang/String;)Ljava/lang/String;")
                                 : nullptr;
  jstring key = getProperty ? env->NewStringUTF(name) : nullptr;
  auto text =
      key ? static_cast<jstring>(env->CallStaticObjectMethod(system, getProperty, key)) : nullptr;
  if (text && !env->ExceptionCheck()) {
    if (const char* chars = env->GetStringUTFChars(text, nullptr)) {
      value = chars;
      env->ReleaseStringUTFChars(text, chars);
    }
  }
  env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return value;
}

}  // namespace murvo
