#include "launcher/JvmLauncher.h"

#include <algorithm>

#include "discovery/JvmLibraryLayout.h"
#include "discovery/ReleaseFile.h"
#include "platform/ConsoleControl.h"
#include "platform/DynamicLibrary.h"
#include "platform/PathText.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "runnable-jar/RunnableJar.h"
#include "single-instance/SingleInstance.h"
#include "splash/SplashScreen.h"
#include "startup-cache/StartupCache.h"
#include "vm/ConsoleControl.h"
#include "vm/JavaStrings.h"
#include "vm/JvmLibrary.h"
#include "vm/ModifiedUtf8.h"
#include "vm/ModuleMain.h"
#include "vm/OptionEncoding.h"
#include "vm/UncaughtException.h"
#include "vm/VmExitHooks.h"

namespace murvo {

namespace {

// A failure without a text of its own: reported with the context message.
struct LaunchStepFailed {};

// A JNI lookup that found nothing: the VM's own description of why (a class
// compiled for a newer Java, a static initialiser that threw) comes first.
[[noreturn]] void lookupFailed(JNIEnv* env, const std::string& message) {
  if (env->ExceptionOccurred()) env->ExceptionDescribe();
  throw LauncherError(message);
}

// The feature release of the Java that the JVM library belongs to, by its
// home's release file; 0 when it has none.
int javaFeatureOf(const std::string& jvmPath) {
  const std::optional<std::string> home = homeOfJvmLibrary(jvmPath);
  return home ? featureVersion(releaseVersion(*home)) : 0;
}

// The main methods that this Java starts with these options.
MainMethodRules mainMethodRules(int javaFeature, const JavaVMInitArgs& args) {
  MainMethodRules rules;
  rules.featureVersion = javaFeature;
  rules.previewEnabled =
      std::any_of(args.options, args.options + args.nOptions, [](const JavaVMOption& option) {
        return std::string_view(option.optionString) == "--enable-preview";
      });
  return rules;
}

}  // namespace

// When the user's options file took part, the VM's refusal may be the user's
// doing: the message names the file and its options.
std::string JvmLauncher::userOptionsPart() const {
  const std::string& file = properties->getUserOptionsFile();
  if (file.empty()) return {};
  std::string options;
  for (const std::string& option : properties->getUserJvmOptions()) options += ' ' + option;
  return " (with the user's options from " + file + ":" + options + ")";
}

// The launch, step by step. Each capability that takes part in it (the
// single instance, the splash screen, the start-up cache, the console trap,
// the VM's exit hooks) is a module of its own, called at the one point of
// this sequence where it belongs.
int JvmLauncher::run() {
  return guardOwnText("Error while launching program with JVM.", [&] {
    if (!properties->hasMainClass() && properties->getJar().empty() &&
        properties->getMainModule().empty()) {
      throw LauncherError("no main class: set murvo.main.class, murvo.jar or murvo.main.module");
    }
    SingleInstance instance(*properties);
    if (instance.handedOver()) return 0;
    const std::string& jvmPath = properties->getJvmPath();
    const int javaFeature = javaFeatureOf(jvmPath);
    const LauncherAgent agent = applyRunnableJar(*properties, javaFeature);
    JavaVMInitArgs args;
    buildInitArgs(args);
    addVmExitHooks(args);
    if (tracing()) trace("JVM library: " + jvmPath);
    SplashScreen splash(*properties, jvmPath);
    StartupCache startupCache(*properties, jvmPath);
    startupCache.addOptions(args);
    encodeOptionsFor(jvmPath, args);
    void* library = loadJvmLibrary(jvmPath, args);
    splash.showWithJvmLoaded();
    JNIEnv* env = createVm(library, jvmPath, args);
    splash.vmCreated(vm, env);
    startupCache.afterVmCreated(env);
    agent.start(vm, jvmPath);
    const MainMethod main = findMain(env, mainMethodRules(javaFeature, args));
    instance.receive(vm, env);
    jobjectArray arguments = makeArgumentArray(env);
    if (properties->isTrapConsoleCtrl()) trapConsoleEvents();
    const bool mainThrew = callMain(env, main, arguments);
    instance.beforeVmEnds(env);
    destroyVm(library);
    return mainThrew ? 1 : 0;
  });
}

void* JvmLauncher::loadJvmLibrary(const std::string& jvmPath, const JavaVMInitArgs& args) {
  if (tracing()) {
    for (jint i = 0; i < args.nOptions; ++i) {
      trace("JVM option: " + std::string(args.options[i].optionString));
    }
  }
  void* library = openJvmLibrary(jvmPath);
  if (!library) {
    explainFailure(platform::libraryError(jvmPath));
    throw LaunchStepFailed{};
  }
  return library;
}

JNIEnv* JvmLauncher::createVm(void* library, const std::string& jvmPath, JavaVMInitArgs& args) {
  const CreateJavaVm createJavaVm = findCreateJavaVm(library);
  if (!createJavaVm) {
    explainFailure(platform::libraryError(jvmPath));
    throw LaunchStepFailed{};
  }
  JavaVM* createdVm = nullptr;
  JNIEnv* env = nullptr;
  setVmBeingCreated(true);
  const jint created = createJavaVm(&createdVm, reinterpret_cast<void**>(&env), &args);
  setVmBeingCreated(false);
  if (tracing()) trace("JNI_CreateJavaVM: " + std::to_string(created));
  if (created < 0) throw LauncherError("Cannot create Java VM" + userOptionsPart());
  vm = createdVm;
  return env;
}

jclass JvmLauncher::findModuleMain(JNIEnv* env) {
  std::string className = properties->getJniMainClass();
  std::replace(className.begin(), className.end(), '/', '.');
  jclass mainClass = findModuleMainClass(env, properties->getMainModule(), className);
  properties->setMainClass(className);
  if (tracing()) {
    trace("main class " + className + " in module " + properties->getMainModule() + ": " +
          (mainClass ? "found" : "not found"));
  }
  if (!mainClass) lookupFailed(env, "Cannot find main Java class " + properties->getJniMainClass());
  return mainClass;
}

MainMethod JvmLauncher::findMain(JNIEnv* env, const MainMethodRules& rules) {
  if (!properties->getMainModule().empty()) {
    const std::optional<MainMethod> main = findMainMethod(env, findModuleMain(env), rules);
    if (!main) lookupFailed(env, "Cannot find main method in Java class");
    return *main;
  }
  const std::string& mainClassName = properties->getJniMainClass();
  if (tracing()) {
    trace("main class " + mainClassName + ", " +
          std::to_string(properties->getProgramArgs().size()) + " arguments");
  }
  jclass mainClass = env->FindClass(toModifiedUtf8(mainClassName).c_str());
  if (tracing()) trace(std::string("FindClass: ") + (mainClass ? "found" : "not found"));
  if (!mainClass) lookupFailed(env, "Cannot find main Java class " + mainClassName);
  const std::optional<MainMethod> main = findMainMethod(env, mainClass, rules);
  if (tracing()) trace(std::string("GetStaticMethodID main: ") + (main ? "found" : "not found"));
  if (!main) lookupFailed(env, "Cannot find main method in Java class");
  if (tracing() && !(main->isStatic && main->takesArguments)) {
    trace(std::string("main method: ") + (main->isStatic ? "static" : "instance") +
          (main->takesArguments ? " main(String[])" : " main()"));
  }
  return *main;
}

void JvmLauncher::trapConsoleEvents() {
  if (!murvo::trapConsoleEvents(vm, properties->getJniMainClass())) {
    throw LauncherError("Unable to catch console ctrl events");
  }
  if (tracing()) trace("console events trapped");
}

bool JvmLauncher::callMain(JNIEnv* env, const MainMethod& main, jobjectArray arguments) {
  if (tracing()) trace("calling main");
  callMainMethod(env, main, arguments, properties->getJniMainClass());
  const bool mainThrew = handOverUncaughtException(env);
  if (tracing()) trace(mainThrew ? "main ended by an exception" : "main returned");
  return mainThrew;
}

jobjectArray JvmLauncher::makeArgumentArray(JNIEnv* env) {
  jobjectArray array = newJavaStringArray(env, properties->getProgramArgs());
  if (!array) throw LauncherError("Out of memory error in Java launcher");
  return array;
}

void JvmLauncher::destroyVm(void* library) {
  vm->DestroyJavaVM();
  if (tracing()) trace("DestroyJavaVM returned");
  // The console handler stays installed to the end of the process: an event
  // from now on reaches neither the VM nor the library, and cannot end the
  // process with a status the program did not decide. A handler call still
  // inside the VM keeps the library loaded.
  if (shutOffConsoleControl()) platform::freeLibrary(library);
}

}  // namespace murvo
