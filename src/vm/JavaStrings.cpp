#include "vm/JavaStrings.h"

#include "platform/TextEncoding.h"

namespace murvo {

jstring newJavaString(JNIEnv* env, const std::string& utf8) {
  const std::u16string text = platform::utf8ToUtf16(utf8);
  return env->NewString(reinterpret_cast<const jchar*>(text.data()),
                        static_cast<jsize>(text.size()));
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::string>& texts) {
  jstring empty = env->NewStringUTF("");
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass, empty);
  if (!array) return nullptr;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    env->SetObjectArrayElement(array, static_cast<jsize>(i), newJavaString(env, texts[i]));
  }
  return array;
}

}  // namespace murvo
