#include "vm/MainMethod.h"

#include <array>

#include "reporting/ErrorReporter.h"

namespace murvo {

namespace {

constexpr const char* withArguments = "([Ljava/lang/String;)V";
constexpr const char* withoutArguments = "()V";
constexpr jint privateModifier = 0x0002;
constexpr jint abstractModifier = 0x0400;

// The modifiers of a class, method or constructor through its reflected
// object's getModifiers(); -1 with the exception cleared when asking failed.
jint modifiersOf(JNIEnv* env, jobject reflected) {
  if (!reflected) {
    env->ExceptionClear();
    return -1;
  }
  jclass type = env->GetObjectClass(reflected);
  jmethodID getModifiers = env->GetMethodID(type, "getModifiers", "()I");
  if (!getModifiers) {
    env->ExceptionClear();
    return -1;
  }
  const jint modifiers = env->CallIntMethod(reflected, getModifiers);
  if (!env->ExceptionCheck()) return modifiers;
  env->ExceptionClear();
  return -1;
}

// One candidate: a method of that name, signature and kind, declared or
// inherited, that is not private. A lookup that finds nothing leaves no
// exception pending.
std::optional<MainMethod> candidate(JNIEnv* env, jclass mainClass, bool isStatic,
                                    bool takesArguments) {
  const char* signature = takesArguments ? withArguments : withoutArguments;
  jmethodID method = isStatic ? env->GetStaticMethodID(mainClass, "main", signature)
                              : env->GetMethodID(mainClass, "main", signature);
  if (!method) {
    env->ExceptionClear();
    return std::nullopt;
  }
  const jint modifiers = modifiersOf(env, env->ToReflectedMethod(mainClass, method, isStatic));
  if (modifiers < 0 || (modifiers & privateModifier)) return std::nullopt;
  return MainMethod{mainClass, method, isStatic, takesArguments};
}

}  // namespace

bool MainMethodRules::instanceMainAllowed() const {
  return featureVersion >= 25 || (featureVersion >= 21 && previewEnabled);
}

std::optional<MainMethod> findMainMethod(JNIEnv* env, jclass mainClass,
                                         const MainMethodRules& rules) {
  if (rules.instanceMainAllowed()) {
    struct Kind {
      bool isStatic;
      bool takesArguments;
    };
    const std::array<Kind, 4> order =
        rules.staticFirst()
            ? std::array<Kind, 4>{{{true, true}, {true, false}, {false, true}, {false, false}}}
            : std::array<Kind, 4>{{{true, true}, {false, true}, {true, false}, {false, false}}};
    for (const Kind& kind : order) {
      if (auto found = candidate(env, mainClass, kind.isStatic, kind.takesArguments)) return found;
    }
  }
  // Before the new main methods any static main(String[]) runs, as it always
  // has with this launcher; when nothing fits, its lookup's error is pending.
  jmethodID method = env->GetStaticMethodID(mainClass, "main", withArguments);
  if (!method || rules.instanceMainAllowed()) return std::nullopt;
  return MainMethod{mainClass, method, true, true};
}

void callMainMethod(JNIEnv* env, const MainMethod& main, jobjectArray arguments,
                    const std::string& className) {
  if (main.isStatic) {
    if (main.takesArguments) {
      env->CallStaticVoidMethod(main.mainClass, main.method, arguments);
    } else {
      env->CallStaticVoidMethod(main.mainClass, main.method);
    }
    return;
  }
  const std::string refused = "Cannot instantiate main Java class " + className + ": ";
  const jint classModifiers = modifiersOf(env, main.mainClass);
  if (classModifiers >= 0 && (classModifiers & abstractModifier)) {
    throw LauncherError(refused + "it is abstract");
  }
  jmethodID constructor = env->GetMethodID(main.mainClass, "<init>", withoutArguments);
  if (!constructor) env->ExceptionClear();
  const jint constructorModifiers =
      constructor ? modifiersOf(env, env->ToReflectedMethod(main.mainClass, constructor, false))
                  : -1;
  if (constructorModifiers < 0 || (constructorModifiers & privateModifier)) {
    throw LauncherError(refused + "it has no non-private constructor without parameters");
  }
  jobject instance = env->NewObject(main.mainClass, constructor);
  if (!instance) return;
  if (main.takesArguments) {
    env->CallVoidMethod(instance, main.method, arguments);
  } else {
    env->CallVoidMethod(instance, main.method);
  }
}

}  // namespace murvo
