#include "jvm/JvmLauncher.h"

#include "jvm/ConsoleControl.h"
#include "launcher/ErrorReporter.h"
#include "platform/ConsoleControl.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextEncoding.h"

namespace murvo {

JvmLauncher* activeLauncher = nullptr;

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

// A failure without a text of its own: reported with the context message.
struct LaunchStepFailed {};

}  // namespace

void JvmLauncher::run() {
  guardOwnText("Error while launching program with JVM.", [&] {
    JavaVMInitArgs args;
    buildInitArgs(args);
    const std::string& jvmPath = properties->getJvmPath();

    void* library = platform::loadLibrary(jvmPath);
    if (!library) throw LaunchStepFailed{};
    auto createJavaVm =
        reinterpret_cast<CreateJavaVm>(platform::findSymbol(library, "JNI_CreateJavaVM"));
    if (!createJavaVm) throw LaunchStepFailed{};

    JavaVM* createdVm = nullptr;
    JNIEnv* env = nullptr;
    if (createJavaVm(&createdVm, reinterpret_cast<void**>(&env), &args) < 0) {
      throw LauncherError("Cannot create Java VM");
    }
    vm = createdVm;

    const std::string& mainClassName = properties->getJniMainClass();
    jclass mainClass = env->FindClass(mainClassName.c_str());
    if (!mainClass) throw LauncherError("Cannot find main Java class " + mainClassName);
    jmethodID mainMethod = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
    if (!mainMethod) throw LauncherError("Cannot find main method in Java class");

    jobjectArray arguments = makeArgumentArray(env);

    if (properties->isTrapConsoleCtrl()) {
      activeLauncher = this;
      if (!platform::installConsoleHandler(consoleCtrlHandler)) {
        throw LauncherError("Unable to catch console ctrl events");
      }
    }
    env->CallStaticVoidMethod(mainClass, mainMethod, arguments);
    destroyVm(library);
  });
}

jobjectArray JvmLauncher::makeArgumentArray(JNIEnv* env) {
  const std::vector<std::string>& programArgs = properties->getProgramArgs();
  jstring empty = env->NewStringUTF("");
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(programArgs.size()), stringClass, empty);
  if (!array) throw LauncherError("Out of memory error in Java launcher");
  for (std::size_t i = 0; i < programArgs.size(); ++i) {
    // UTF-16 keeps every character of the argument, which modified UTF-8
    // through NewStringUTF would not.
    const std::u16string text = platform::argumentToUtf16(programArgs[i]);
    jstring argument = env->NewString(reinterpret_cast<const jchar*>(text.data()),
                                      static_cast<jsize>(text.size()));
    env->SetObjectArrayElement(array, static_cast<jsize>(i), argument);
  }
  return array;
}

void JvmLauncher::destroyVm(void* library) {
  vm->DestroyJavaVM();
  // The console handler stays installed to the end of the process: an event
  // from now on reaches neither the VM nor the library, and cannot end the
  // process with a status the program did not decide. A handler call still
  // inside the VM keeps the library loaded.
  if (shutOffConsoleControl()) platform::freeLibrary(library);
}

// Runs on the handler's thread while the primary thread may destroy the VM at
// any moment: each JNI call starts only while the VM is still there.
void JvmLauncher::requestExit() {
  JNIEnv* env = nullptr;
  if (!vmReachable() || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) < 0) {
    return;
  }
  if (!vmReachable()) return;
  jclass mainClass = env->FindClass(properties->getJniMainClass().c_str());
  if (!vmReachable()) return;
  jmethodID initiateExit =
      mainClass ? env->GetStaticMethodID(mainClass, "initiateExit", "(I)V") : nullptr;
  if (!vmReachable()) return;
  if (initiateExit) {
    env->CallStaticVoidMethod(mainClass, initiateExit, 0);
  } else if (env->ExceptionOccurred() && vmReachable()) {
    env->ExceptionDescribe();
  }
  if (vmReachable()) vm->DetachCurrentThread();
}

}  // namespace murvo
