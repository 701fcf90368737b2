// The JVM test double: exports JNI_CreateJavaVM and answers the JNI calls
// the launcher makes, writing one line per call to a log. It is configured
// only through the VM options it receives:
//   -Dfakejvm.log=<file>             append one line per call to <file>
//   -Dfakejvm.classes=a/B,c/D        the classes that exist (java/lang/String always does),
//                                    each with static main and initiateExit
//   -Dfakejvm.noexit=true            the classes have no initiateExit
//   -Dfakejvm.fail=<step>            create, findclass, getstaticmethodid, newobjectarray
//                                    or attach fails
//   -Dfakejvm.main=<behaviour>       return, wait-exit, exit:<n> or slow-destroy
//   -Dfakejvm.initiateexit=block     initiateExit never returns, as System.exit
//                                    in a VM that shuts down
// A call that comes after DestroyJavaVM has returned is written to standard
// error, so that a test sees the launcher reach a VM that is gone.
// Creation fails on -Xnonsense, as a real VM refuses an unknown option, and
// on any -Dfakejvm option it does not know, so that a mistyped test fails.
#define _JNI_IMPLEMENTATION_
#include <jni.h>

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
  bool noExit = false;
  bool initiateExitBlocks = false;
  std::atomic<bool> destroyed{false};

  std::mutex logMutex;
  std::mutex mutex;  // guards the members below
  std::deque<Object> objects;
  std::condition_variable exitCalled;
  bool exitRequested = false;
  std::condition_variable threadDetached;
  int attachedThreads = 0;
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
    return oneOf(value, {"create", "findclass", "getstaticmethodid", "newobjectarray", "attach"});
  }
  if (name == "main") {
    state.mainBehaviour = value;
    return oneOf(value, {"return", "wait-exit", "slow-destroy"}) || value.starts_with("exit:");
  }
  return oneOf(name, {"log", "classes", "noexit"});
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

jclass JNICALL findClass(JNIEnv*, const char* name) {
  log(std::string("FindClass ") + name);
  if (name != std::string("java/lang/String") &&
      (state.fail == "findclass" || !classExists(name))) {
    return raise(std::string("java.lang.NoClassDefFoundError: ") + name);
  }
  return handle<_jclass>(newObject(name));
}

jmethodID JNICALL getStaticMethodId(JNIEnv*, jclass owner, const char* name, const char* sig) {
  const std::string className = textOf(owner), method = name, descriptor = sig;
  log("GetStaticMethodID " + className + " " + method + " " + descriptor);
  const bool exists = classExists(className) && state.fail != "getstaticmethodid" &&
                      ((method == "main" && descriptor == "([Ljava/lang/String;)V") ||
                       (method == "initiateExit" && descriptor == "(I)V" && !state.noExit));
  if (!exists) return raise("java.lang.NoSuchMethodError: " + method);
  return handle<_jmethodID>(newObject(className + "." + method));
}

void runMain() {
  const std::string& behaviour = state.mainBehaviour;
  if (behaviour == "wait-exit") {
    std::unique_lock lock(state.mutex);
    if (!state.exitCalled.wait_for(lock, std::chrono::seconds(60),
                                   [] { return state.exitRequested; })) {
      std::fprintf(stderr, "fakejvm: main gave up waiting for initiateExit\n");
    }
  } else if (behaviour.starts_with("exit:")) {
    std::exit(std::atoi(behaviour.c_str() + 5));
  }
}

void JNICALL callStaticVoidMethodV(JNIEnv*, jclass, jmethodID id, va_list args) {
  const std::string line = "CallStaticVoidMethod " + textOf(id) + " ";
  if (textOf(id).ends_with(".main")) {
    void* array = va_arg(args, jobject);
    std::string joined;
    for (std::size_t i = 0; array && i < object(array)->elements.size(); ++i) {
      if (i) joined += '|';
      joined += textOf(object(array)->elements[i]);
    }
    log(line + (array ? "[" + joined + "]" : "null"));
    runMain();
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

jthrowable JNICALL exceptionOccurred(JNIEnv*) {
  log(std::string("ExceptionOccurred ") + (pending ? "1" : "0"));
  return handle<_jthrowable>(pending);
}

void JNICALL exceptionDescribe(JNIEnv*) {
  log("ExceptionDescribe");
  if (pending) std::fprintf(stderr, "Exception in thread: %s\n", pending->text.c_str());
  pending = nullptr;
}

const JNINativeInterface_ nativeTable = [] {
  JNINativeInterface_ table{};
  table.FindClass = findClass;
  table.GetStaticMethodID = getStaticMethodId;
  table.CallStaticVoidMethod = callStaticVoidMethod;
  table.CallStaticVoidMethodV = callStaticVoidMethodV;
  table.NewStringUTF = newStringUtf;
  table.NewString = newString;
  table.NewObjectArray = newObjectArray;
  table.SetObjectArrayElement = setObjectArrayElement;
  table.ExceptionOccurred = exceptionOccurred;
  table.ExceptionDescribe = exceptionDescribe;
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
  return table;
}();

JavaVM theVm{&invokeTable};

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* vmArgs) {
  const auto& args = *static_cast<JavaVMInitArgs*>(vmArgs);
  std::vector<std::string> options;
  std::string refused;
  for (jint i = 0; i < args.nOptions; ++i) {
    const char* text = args.options[i].optionString;
    const std::string& option = options.emplace_back(text ? text : "(null)");
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
  *vm = &theVm;
  *env = &theEnv;
  return JNI_OK;
}
