// The JVM test double: exports JNI_CreateJavaVM and answers the JNI calls
// the launcher makes, writing one line per call to a log. It is configured
// only through the VM options it receives:
//   -Dfakejvm.log=<file>             append one line per call to <file>
//   -Dfakejvm.classes=a/B,c/D        the classes that exist (java/lang/String always does),
//                                    each with static main, initiateExit and anotherInstance
//   -Dfakejvm.noexit=true            the classes have no initiateExit
//   -Dfakejvm.fail=<step>            create, findclass, getstaticmethodid, newobjectarray
//                                    or attach fails; create-abort ends the process
//                                    while the VM is created, as a real VM does for an
//                                    option it cannot honour (its words on standard
//                                    output, the abort hook, status 1)
//   -Dfakejvm.main=<behaviour>       return, wait-exit, wait-another (returns once
//                                    anotherInstance was called), exit:<n> (through the exit
//                                    hook, as System.exit), throw (an exception escapes main)
//                                    or slow-destroy; exit-after:<file> runs the shutdown
//                                    hooks as System.exit does, then waits until <file>
//                                    exists (the program's own hooks) and ends with 0
//   -Dfakejvm.load=<name>            (Windows) main loads <name>.dll from the folder above the
//                                    double's own, as a JVM loads the libraries of its home
// Built as vendor/jvm.dll (Windows), the double needs fakeruntime.dll, as a
// real jvm.dll needs the C runtime DLLs of its Java home.
//   -Dfakejvm.initiateexit=block     initiateExit never returns, as System.exit
//                                    in a VM that shuts down
// A call that comes after DestroyJavaVM has returned is written to standard
// error, so that a test sees the launcher reach a VM that is gone.
// Class-data sharing as the launcher's start-up cache drives it: with
// -XX:DumpLoadedClassList=<file> the double writes the classes that exist to
// <file>; with -Xshare:dump it writes "fakejvm archive of" and the lines of
// -XX:SharedClassListFile to -XX:SharedArchiveFile and ends the process with
// status 0, as a JVM that has made an archive does; the archive also names
// the options the dump took from JAVA_TOOL_OPTIONS. A class list with a line
// of what the JVM generates ("@..."), or naming the class crash/Dump, makes
// the dump crash: its words go to -XX:ErrorFile and the process aborts, as JDK 17's
// does for some lambda proxies. With -XX:SharedArchiveFile
// of a file that it made so, java.vm.info says "sharing", as a JVM that has
// mapped an archive says, unless -Dfakejvm.sharing=off.
// Shutdown hooks: a class defined by DefineClass whose run() is registered
// with RegisterNatives, added through Runtime.addShutdownHook, runs on a
// thread of its own when main ends the process through exit or the VM is
// destroyed, as in a real VM.
// Creation fails on -Xnonsense, as a real VM refuses an unknown option, and
// on any -Dfakejvm option it does not know, so that a mistyped test fails.
// The options "exit" and "abort" carry the invocation interface's hooks.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// A Java object as the double keeps it: a class (text is its name), a
// string, an array (text is the element class name), a throwable or a
// method (text is "<class>.<name>").
struct Object {
  std::string text;
  std::vector<Object*> elements;
};

struct State {
  std::string logPath;
  std::vector<std::string> classes;
  std::string fail;
  std::string mainBehaviour = "return";
  std::string load;
  bool noExit = false;
  void(JNICALL* exitHook)(jint) = nullptr;
  void(JNICALL* abortHook)() = nullptr;
  bool initiateExitBlocks = false;
  bool sharing = false;
  bool sharingOff = false;
  std::atomic<bool> destroyed{false};

  std::mutex logMutex;
  std::mutex mutex;  // guards the members below
  std::deque<Object> objects;
  std::condition_variable exitCalled;
  bool exitRequested = false;
  bool anotherInstanceCalled = false;
  std::condition_variable threadDetached;
  int attachedThreads = 0;
  std::vector<std::string> definedClasses;
  std::vector<std::pair<std::string, void(JNICALL*)(JNIEnv*, jobject)>> nativeRuns;
  std::vector<Object*> shutdownHooks;
};

// Never destroyed: exit() may end the process while another thread calls in.
State& state = *new State;

// The exception pending on this thread, as a real VM keeps one per thread.
thread_local Object* pending = nullptr;

void log(const std::string& line) {
  if (state.destroyed) std::fprintf(stderr, "fakejvm: %s after DestroyJavaVM\n", line.c_str());
  if (state.logPath.empty()) return;
  std::lock_guard lock(state.logMutex);
  if (FILE* file = std::fopen(state.logPath.c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

Object* newObject(std::string text, std::vector<Object*> elements = {}) {
  std::lock_guard lock(state.mutex);
  return &state.objects.emplace_back(Object{std::move(text), std::move(elements)});
}

template <class Handle>
Handle* handle(Object* object) {
  return reinterpret_cast<Handle*>(object);
}

Object* object(void* handle) {
  return static_cast<Object*>(handle);
}

std::string textOf(void* handle) {
  return handle ? object(handle)->text : "null";
}

std::nullptr_t raise(const std::string& exception) {
  pending = newObject(exception);
  return nullptr;
}

bool classExists(const std::string& name) {
  return std::find(state.classes.begin(), state.classes.end(), name) != state.classes.end();
}

bool oneOf(const std::string& value, std::initializer_list<const char*> accepted) {
  return std::find(accepted.begin(), accepted.end(), value) != accepted.end();
}

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find(separator, start), text.size());
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Takes one "<name>=<value>" setting; false for one the double does not know.
bool configure(const std::string& setting) {
  const std::size_t equals = setting.find('=');
  if (equals == std::string::npos) return false;
  const std::string name = setting.substr(0, equals), value = setting.substr(equals + 1);
  if (name == "log") state.logPath = value;
  if (name == "classes") state.classes = split(value, ',');
  if (name == "noexit") state.noExit = value == "true";
  if (name == "initiateexit") {
    state.initiateExitBlocks = true;
    return value == "block";
  }
  if (name == "fail") {
    state.fail = value;
    return oneOf(value, {"create", "create-abort", "findclass", "getstaticmethodid",
                         "newobjectarray", "attach"});
  }
  if (name == "main") {
    state.mainBehaviour = value;
    return oneOf(value, {"return", "wait-exit", "wait-another", "throw", "slow-destroy"}) ||
           value.starts_with("exit:") || value.starts_with("exit-after:");
  }
  if (name == "load") state.load = value;
  if (name == "sharing") state.sharingOff = value == "off";
  return oneOf(name, {"log", "classes", "noexit", "load", "sharing"});
}

// UTF-16 to UTF-8; a lone surrogate keeps its own three-byte form.
std::string toUtf8(const jchar* text, jsize length) {
  std::string out;
  for (jsize i = 0; i < length; ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    static constexpr unsigned char lead[] = {0, 0xC0, 0xE0, 0xF0};
    const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    out += static_cast<char>(lead[more] | c >> 6 * more);
    for (int k = more - 1; k >= 0; --k) out += static_cast<char>(0x80 | (c >> 6 * k & 0x3F));
  }
  return out;
}

// The JDK's classes and methods that the launcher uses, as a real VM has them.
bool jdkClass(const std::string& name) {
  return oneOf(name, {"java/lang/String", "java/lang/System", "java/lang/Thread",
                      "java/lang/Thread$UncaughtExceptionHandler", "java/lang/Runtime"});
}
bool jdkMethod(bool isStatic, const std::string& owner, const std::string& name,
               const std::string& descriptor) {
  const std::string method = owner + " " + name + " " + descriptor;
  return isStatic ? oneOf(method, {"java/lang/Thread currentThread ()Ljava/lang/Thread;",
                                   "java/lang/System getProperty "
                                   "(Ljava/lang/String;)Ljava/lang/String;",
                                   "java/lang/Runtime getRuntime ()Ljava/lang/Runtime;"})
                  : oneOf(method, {"java/lang/Thread getUncaughtExceptionHandler "
                                   "()Ljava/lang/Thread$UncaughtExceptionHandler;",
                                   "java/lang/Thread$UncaughtExceptionHandler uncaughtException "
                                   "(Ljava/lang/Thread;Ljava/lang/Throwable;)V",
                                   "java/lang/Runtime addShutdownHook (Ljava/lang/Thread;)V"}) ||
                        (name == "<init>" && descriptor == "()V" &&
                         std::find(state.definedClasses.begin(), state.definedClasses.end(),
                                   owner) != state.definedClasses.end());
}

jclass JNICALL findClass(JNIEnv*, const char* name) {
  log(std::string("FindClass ") + name);
  if (!jdkClass(name) && (state.fail == "findclass" || !classExists(name))) {
    return raise(std::string("java.lang.NoClassDefFoundError: ") + name);
  }
  return handle<_jclass>(newObject(name));
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass owner, const char* name, const char* sig) {
  const std::string className = textOf(owner), method = name, descriptor = sig;
  log("GetStaticMethodID " + className + " " + method + " " + descriptor);
  const bool exists = (classExists(className) && state.fail != "getstaticmethodid" &&
                       ((method == "main" && descriptor == "([Ljava/lang/String;)V") ||
                        (method == "initiateExit" && descriptor == "(I)V" && !state.noExit) ||
                        (method == "anotherInstance" &&
                         descriptor == "([Ljava/lang/String;Ljava/lang/String;)V"))) ||
                      jdkMethod(true, className, method, descriptor);
  if (!exists) return raise("java.lang.NoSuchMethodError: " + method);
  return handle<_jmethodID>(newObject(className + "." + method));
}

#ifdef FAKEJVM_NEEDS_RUNTIME
extern "C" __declspec(dllimport) int fakeRuntimeVersion();
#endif

#ifdef _WIN32
// The double's own path.
std::string ownPath() {
  HMODULE self = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&ownPath), &self);
  char path[MAX_PATH];
  return std::string(path, GetModuleFileNameA(self, path, MAX_PATH));
}
#endif

// Loads <name>.dll of the folder above the double's own by its full path.
void loadHomeLibrary(const std::string& name) {
#ifdef _WIN32
  std::string folder = ownPath();
  folder.resize(folder.rfind('\\'));
  folder.resize(folder.rfind('\\'));
  const bool loaded = LoadLibraryA((folder + "\\" + name + ".dll").c_str()) != nullptr;
  log("LoadLibrary " + name + (loaded ? " loaded" : " failed"));
#else
  log("LoadLibrary " + name + " (Windows only)");
#endif
}

jmethodID JNICALL getMethodId(JNIEnv*, jclass owner, const char* name, const char* sig) {
  const std::string className = textOf(owner), method = name;
  log("GetMethodID " + className + " " + method + " " + sig);
  if (!jdkMethod(false, className, method, sig)) {
    return raise("java.lang.NoSuchMethodError: " + method);
  }
  return handle<_jmethodID>(newObject(className + "." + method));
}

extern JNIEnv theEnv;

// As a VM that starts to end: each hook's run() on a thread of its own.
void runShutdownHooks() {
  std::vector<std::thread> running;
  for (Object* hook : state.shutdownHooks) {
    for (const auto& [owner, run] : state.nativeRuns) {
      if (owner == hook->text)
        running.emplace_back([run = run, hook] {
          log("shutdown hook " + hook->text);
          run(&theEnv, handle<_jobject>(hook));
        });
    }
  }
  for (std::thread& thread : running) thread.join();
}

void runMain() {
  if (!state.load.empty()) loadHomeLibrary(state.load);
  const std::string& behaviour = state.mainBehaviour;
  if (behaviour == "wait-exit") {
    std::unique_lock lock(state.mutex);
    if (!state.exitCalled.wait_for(lock, std::chrono::seconds(60),
                                   [] { return state.exitRequested; })) {
      std::fprintf(stderr, "fakejvm: main gave up waiting for initiateExit\n");
    }
  } else if (behaviour == "wait-another") {
    std::unique_lock lock(state.mutex);
    if (!state.exitCalled.wait_for(lock, std::chrono::seconds(60),
                                   [] { return state.anotherInstanceCalled; })) {
      std::fprintf(stderr, "fakejvm: main gave up waiting for anotherInstance\n");
    }
  } else if (behaviour.starts_with("exit:")) {
    const int status = std::atoi(behaviour.c_str() + 5);
    runShutdownHooks();
    if (state.exitHook) state.exitHook(status);
    std::exit(status);
  } else if (behaviour.starts_with("exit-after:")) {
    runShutdownHooks();
    const std::string until = behaviour.substr(11);
    for (int i = 0; i < 6000; ++i) {
      if (FILE* file = std::fopen(until.c_str(), "rb")) {
        std::fclose(file);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (state.exitHook) state.exitHook(0);
    std::exit(0);
  } else if (behaviour == "throw") {
    raise("java.lang.IllegalStateException: thrown by main");
  }
}

// A String[] as "[a|b]".
std::string arrayText(void* array) {
  std::string joined;
  for (std::size_t i = 0; array && i < object(array)->elements.size(); ++i) {
    if (i) joined += '|';
    joined += textOf(object(array)->elements[i]);
  }
  return array ? "[" + joined + "]" : "null";
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID id, va_list args) {
  const std::string line = "CallStaticVoidMethod " + textOf(id) + " ";
  if (textOf(id).ends_with(".main")) {
    log(line + arrayText(va_arg(args, jobject)));
    runMain();
  } else if (textOf(id).ends_with(".anotherInstance")) {
    void* array = va_arg(args, jobject);
    log(line + arrayText(array) + " " + textOf(va_arg(args, jobject)));
    std::lock_guard lock(state.mutex);
    state.anotherInstanceCalled = true;
    state.exitCalled.notify_all();
  } else {
    log(line + std::to_string(va_arg(args, jint)));
    {
      std::lock_guard lock(state.mutex);
      state.exitRequested = true;
      state.exitCalled.notify_all();
    }
    while (state.initiateExitBlocks) std::this_thread::sleep_for(std::chrono::hours(1));
  }
}

void JNICALL callStaticVoidMethod(JNIEnv* env, jclass owner, jmethodID id, ...) {
  va_list args;
  va_start(args, id);
  callStaticVoidMethodV(env, owner, id, args);
  va_end(args);
}

// Thread.currentThread() and its getUncaughtExceptionHandler(): without a
// default handler of the program's, the thread group.
// System.getProperty("java.vm.info"), and nothing of other properties.
jobject JNICALL callStaticObjectMethodV(JNIEnv*, jclass, jmethodID id, va_list args) {
  log("CallStaticObjectMethod " + textOf(id));
  if (textOf(id) == "java/lang/System.getProperty") {
    if (textOf(va_arg(args, jobject)) != "java.vm.info") return nullptr;
    return handle<_jobject>(newObject(state.sharing ? "mixed mode, sharing" : "mixed mode"));
  }
  return handle<_jobject>(
      newObject(textOf(id).ends_with("getRuntime") ? "runtime" : "thread main"));
}

const char* JNICALL getStringUtfChars(JNIEnv*, jstring text, jboolean* isCopy) {
  if (isCopy) *isCopy = JNI_FALSE;
  return object(text)->text.c_str();
}

void JNICALL releaseStringUtfChars(JNIEnv*, jstring, const char*) {}

jobject JNICALL callObjectMethodV(JNIEnv*, jobject target, jmethodID id, va_list) {
  log("CallObjectMethod " + textOf(target) + " " + textOf(id));
  return handle<_jobject>(newObject("thread group main"));
}

// Runtime.addShutdownHook, or the thread group's uncaughtException: the
// throwable on standard error.
void JNICALL callVoidMethodV(JNIEnv*, jobject target, jmethodID id, va_list args) {
  if (textOf(id).ends_with(".addShutdownHook")) {
    Object* hook = object(va_arg(args, jobject));
    log("CallVoidMethod " + textOf(target) + " " + textOf(id) + " " + textOf(hook));
    state.shutdownHooks.push_back(hook);
    return;
  }
  void* thread = va_arg(args, jobject);
  void* thrown = va_arg(args, jobject);
  log("CallVoidMethod " + textOf(target) + " " + textOf(id) + " " + textOf(thread) + " " +
      textOf(thrown));
  std::fprintf(stderr, "Exception in thread \"main\" %s\n", textOf(thrown).c_str());
}

jclass JNICALL defineClass(JNIEnv*, const char* name, jobject, const jbyte* bytes, jsize size) {
  log(std::string("DefineClass ") + name + " " + std::to_string(size));
  // A class file: its magic first.
  if (size < 4 || static_cast<unsigned char>(bytes[0]) != 0xCA) {
    return raise("java.lang.ClassFormatError");
  }
  state.definedClasses.push_back(name);
  return handle<_jclass>(newObject(name));
}

jint JNICALL registerNatives(JNIEnv*, jclass owner, const JNINativeMethod* methods, jint count) {
  for (jint i = 0; i < count; ++i) {
    log("RegisterNatives " + textOf(owner) + " " + methods[i].name + " " + methods[i].signature);
    if (std::string(methods[i].name) == "run" && std::string(methods[i].signature) == "()V") {
      state.nativeRuns.emplace_back(
          textOf(owner), reinterpret_cast<void(JNICALL*)(JNIEnv*, jobject)>(methods[i].fnPtr));
    }
  }
  return JNI_OK;
}

jobject JNICALL newObjectV(JNIEnv*, jclass owner, jmethodID id, va_list) {
  log("NewObject " + textOf(id));
  return handle<_jobject>(newObject(textOf(owner)));
}

jstring JNICALL newStringUtf(JNIEnv*, const char* text) {
  log(std::string("NewStringUTF ") + text);
  return handle<_jstring>(newObject(text));
}

jstring JNICALL newString(JNIEnv*, const jchar* text, jsize length) {
  const std::string utf8 = toUtf8(text, length);
  log("NewString " + utf8);
  return handle<_jstring>(newObject(utf8));
}

jobjectArray JNICALL newObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
  log("NewObjectArray " + std::to_string(length) + " " + textOf(elementClass));
  if (state.fail == "newobjectarray") return raise("java.lang.OutOfMemoryError");
  if (length < 0) return raise("java.lang.NegativeArraySizeException");
  return handle<_jobjectArray>(
      newObject(textOf(elementClass), std::vector<Object*>(length, object(initial))));
}

void JNICALL setObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
  log("SetObjectArrayElement " + std::to_string(index) + " " + textOf(value));
  std::vector<Object*>& elements = object(array)->elements;
  if (index < 0 || static_cast<std::size_t>(index) >= elements.size()) {
    raise("java.lang.ArrayIndexOutOfBoundsException");
  } else {
    elements[index] = object(value);
  }
}

jboolean JNICALL exceptionCheck(JNIEnv*) {
  log(std::string("ExceptionCheck ") + (pending ? "1" : "0"));
  return pending != nullptr;
}

jint JNICALL pushLocalFrame(JNIEnv*, jint) {
  return 0;
}

jobject JNICALL popLocalFrame(JNIEnv*, jobject result) {
  return result;
}

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  log(std::string("ExceptionOccurred ") + (pending ? "1" : "0"));
  return handle<_jthrowable>(pending);
}

void JNICALL exceptionClear(JNIEnv*) {
  log("ExceptionClear");
  pending = nullptr;
}

void JNICALL exceptionDescribe(JNIEnv*) {
  log("ExceptionDescribe");
  if (pending) std::fprintf(stderr, "Exception in thread: %s\n", pending->text.c_str());
  pending = nullptr;
}

const JNINativeInterface_ nativeTable = [] {
  JNINativeInterface_ table{};
  table.FindClass = findClass;
  table.DefineClass = defineClass;
  table.RegisterNatives = registerNatives;
  table.NewObjectV = newObjectV;
  table.GetStaticMethodID = getStaticMethodId;
  table.GetMethodID = getMethodId;
  table.CallStaticObjectMethodV = callStaticObjectMethodV;
  table.CallObjectMethodV = callObjectMethodV;
  table.CallVoidMethodV = callVoidMethodV;
  table.CallStaticVoidMethod = callStaticVoidMethod;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.NewStringUTF = newStringUtf;
  table.GetStringUTFChars = getStringUtfChars;
  table.ReleaseStringUTFChars = releaseStringUtfChars;
  table.NewString = newString;
  table.NewObjectArray = newObjectArray;
  table.SetObjectArrayElement = setObjectArrayElement;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionClear = exceptionClear;
  table.ExceptionDescribe = exceptionDescribe;
  table.ExceptionCheck = exceptionCheck;
  table.PushLocalFrame = pushLocalFrame;
  table.PopLocalFrame = popLocalFrame;
  return table;
}();

JNIEnv theEnv{&nativeTable};

jint JNICALL destroyJavaVm(JavaVM*) {
  {
    // As a real VM, wait for the attached threads to be done.
    std::unique_lock lock(state.mutex);
    state.threadDetached.wait_for(lock, std::chrono::seconds(60),
                                  [] { return state.attachedThreads == 0; });
  }
  log("DestroyJavaVM");
  runShutdownHooks();
  if (state.mainBehaviour == "slow-destroy") std::this_thread::sleep_for(std::chrono::seconds(2));
  state.destroyed = true;
  return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM*, void** env, void*) {
  const jint result = state.fail == "attach" ? JNI_ERR : JNI_OK;
  log("AttachCurrentThread " + std::to_string(result));
  if (result == JNI_OK) {
    *env = &theEnv;
    std::lock_guard lock(state.mutex);
    ++state.attachedThreads;
  }
  return result;
}

// A daemon thread: the VM does not wait for it when destroyed.
jint JNICALL attachCurrentThreadAsDaemon(JavaVM*, void** env, void*) {
  log("AttachCurrentThreadAsDaemon");
  *env = &theEnv;
  return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM*) {
  log("DetachCurrentThread");
  std::lock_guard lock(state.mutex);
  --state.attachedThreads;
  state.threadDetached.notify_all();
  return JNI_OK;
}

const JNIInvokeInterface_ invokeTable = [] {
  JNIInvokeInterface_ table{};
  table.DestroyJavaVM = destroyJavaVm;
  table.AttachCurrentThread = attachCurrentThread;
  table.DetachCurrentThread = detachCurrentThread;
  table.AttachCurrentThreadAsDaemon = attachCurrentThreadAsDaemon;
  return table;
}();

JavaVM theVm{&invokeTable};

}  // namespace

namespace {

std::string optionValue(const std::vector<std::string>& options, const std::string& prefix) {
  for (const std::string& option : options) {
    if (option.starts_with(prefix)) return option.substr(prefix.size());
  }
  return {};
}

bool writeText(const std::string& path, const std::string& text) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  std::fwrite(text.data(), 1, text.size(), file);
  return std::fclose(file) == 0;
}

void shareClasses(const std::vector<std::string>& options) {
  if (const std::string list = optionValue(options, "-XX:DumpLoadedClassList="); !list.empty()) {
    std::string names;
    for (const std::string& name : state.classes) names += name + "\n";
    writeText(list, names);
  }
  if (std::find(options.begin(), options.end(), "-Xshare:dump") == options.end()) {
    if (FILE* archive = std::fopen(optionValue(options, "-XX:SharedArchiveFile=").c_str(), "rb")) {
      char start[18] = {};
      state.sharing = !state.sharingOff &&
                      std::fread(start, 1, sizeof start, archive) == sizeof start &&
                      std::string(start, sizeof start) == "fakejvm archive of";
      std::fclose(archive);
    }
    return;
  }
  std::string archive = "fakejvm archive of\n";
  if (FILE* list = std::fopen(optionValue(options, "-XX:SharedClassListFile=").c_str(), "rb")) {
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, list)) > 0;) {
      archive.append(buffer, count);
    }
    std::fclose(list);
  }
  if (archive.find("\n@") != std::string::npos ||
      archive.find("\ncrash/Dump\n") != std::string::npos) {
    writeText(optionValue(options, "-XX:ErrorFile="), "fakejvm: crashed while dumping\n");
    std::abort();
  }
  if (const char* environment = std::getenv("JAVA_TOOL_OPTIONS")) {
    archive += std::string("JAVA_TOOL_OPTIONS=") + environment + "\n";
  }
  std::exit(writeText(optionValue(options, "-XX:SharedArchiveFile="), archive) ? 0 : 1);
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* vmArgs) {
  const auto& args = *static_cast<JavaVMInitArgs*>(vmArgs);
  std::vector<std::string> options;
  std::string refused;
  for (jint i = 0; i < args.nOptions; ++i) {
    const char* text = args.options[i].optionString;
    const std::string& option = options.emplace_back(text ? text : "(null)");
    void* hook = args.options[i].extraInfo;
    if (option == "exit") state.exitHook = reinterpret_cast<void(JNICALL*)(jint)>(hook);
    if (option == "abort") state.abortHook = reinterpret_cast<void(JNICALL*)()>(hook);
    const bool known =
        option.starts_with("-Dfakejvm.") ? configure(option.substr(10)) : option != "-Xnonsense";
    if (!known && refused.empty()) refused = option;
  }
  char version[16];
  std::snprintf(version, sizeof version, "0x%lx", static_cast<unsigned long>(args.version));
  log(std::string("JNI_CreateJavaVM version=") + version +
      " nOptions=" + std::to_string(args.nOptions) +
      " ignoreUnrecognized=" + std::to_string(int{args.ignoreUnrecognized}));
  for (const std::string& option : options) log("option " + option);
  if (!refused.empty() && !args.ignoreUnrecognized) {
    std::fprintf(stderr, "Unrecognized option: %s\n", refused.c_str());
    return JNI_ERR;
  }
  if (state.fail == "create") return JNI_ERR;
  shareClasses(options);
#ifdef FAKEJVM_NEEDS_RUNTIME
  log("runtime " + std::to_string(fakeRuntimeVersion()) + " of " + ownPath());
#endif
  if (state.fail == "create-abort") {
    std::printf("fakejvm: cannot honour the options\n");
    std::fflush(stdout);
    if (state.abortHook) state.abortHook();
    std::exit(1);
  }
  *vm = &theVm;
  *env = &theEnv;
  return JNI_OK;
}
