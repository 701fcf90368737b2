#include "single-instance/SingleInstance.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>

#include "config/PropertyKeys.h"
#include "platform/FileSystem.h"
#include "platform/InstanceChannel.h"
#include "reporting/ErrorReporter.h"
#include "reporting/Trace.h"
#include "single-instance/InstanceMessage.h"
#include "vm/JavaStrings.h"
#include "vm/ModifiedUtf8.h"
#include "vm/VmGate.h"
#include "vm/VmShutdown.h"

namespace murvo {

namespace {

constexpr std::size_t maxNameLength = 100;
constexpr auto handOverLimit = std::chrono::seconds(5);
constexpr auto retryPause = std::chrono::milliseconds(20);

bool isInstanceName(const std::string& name) {
  return name.size() <= maxNameLength && std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_';
         });
}

// Takes the later starts' messages on the channel's thread. Never
// destroyed: that thread may still run while the process ends.
struct Receiver {
  JavaVM* vm;
  std::string mainClass;  // in JNI's form
  VmGate gate;

  void take(const std::string& bytes, const platform::SenderCommit& senderCommits);
  void callAnotherInstance(JNIEnv* env, const InstanceMessage& message);
};

Receiver* receiver = nullptr;

// Delivers only what the sender has committed to, and only while the VM is
// not ending: everything that could still fail comes before the commit.
void Receiver::take(const std::string& bytes, const platform::SenderCommit& senderCommits) {
  const std::optional<InstanceMessage> message = decodeInstanceMessage(bytes);
  if (!message) {
    if (tracing()) trace("single instance: a malformed message dropped");
    return;
  }
  if (!gate.enter()) return;
  // Attached once, as a daemon: the VM does not wait for this thread to end.
  static thread_local JNIEnv* env = nullptr;
  if (!env && vm->AttachCurrentThreadAsDaemon(reinterpret_cast<void**>(&env), nullptr) < 0) {
    env = nullptr;
  }
  if (env && env->PushLocalFrame(16) == 0) {
    if (senderCommits()) {
      callAnotherInstance(env, *message);
    } else if (tracing()) {
      trace("single instance: the later start no longer waits, its arguments dropped");
    }
    env->PopLocalFrame(nullptr);
  }
  gate.leave();
}

// The VM starts to end: no later start reaches it from now on, and one that
// comes meanwhile finds no socket and waits to run as the first. A later
// start that has committed is delivered before the VM goes on ending, unless
// anotherInstance takes longer than a later start waits.
void vmEnds() {
  static std::atomic<bool> ended{false};
  if (ended.exchange(true)) return;
  if (receiver && !receiver->gate.shutAndDrain(handOverLimit) && tracing())
    trace("single instance: the VM ends while anotherInstance runs");
  platform::stopReceiving();
  if (tracing()) trace("single instance: no more hand-overs, the VM ends");
}

void Receiver::callAnotherInstance(JNIEnv* env, const InstanceMessage& message) {
  jclass owner = env->FindClass(mainClass.c_str());
  jmethodID method = owner ? env->GetStaticMethodID(owner, "anotherInstance",
                                                    "([Ljava/lang/String;Ljava/lang/String;)V")
                           : nullptr;
  if (!method) {
    env->ExceptionClear();
    if (tracing())
      trace(
          "single instance: another start's arguments dropped: no anotherInstance(String[], "
          "String) in the main class");
    return;
  }
  jobjectArray arguments = newJavaStringArray(env, message.arguments);
  jstring folder = arguments ? newJavaString(env, message.workingDirectory) : nullptr;
  if (folder) {
    if (tracing())
      trace("single instance: anotherInstance with " + std::to_string(message.arguments.size()) +
            " arguments");
    env->CallStaticVoidMethod(owner, method, arguments, folder);
  }
  // What the method threw is shown as an uncaught exception of its thread
  // would be; the program runs on.
  if (env->ExceptionCheck()) env->ExceptionDescribe();
}

// Joins the threads that are neither daemons nor this one, as the VM does
// when it is destroyed, until none is left. Without the means (a VM that
// lacks a method), the VM's own wait does it.
void waitForProgramThreads(JNIEnv* env) {
  jclass thread = env->FindClass("java/lang/Thread");
  // Each lookup only while none has failed: no JNI call with an exception pending.
  const auto statically = [&](const char* name, const char* descriptor) {
    return thread && !env->ExceptionCheck() ? env->GetStaticMethodID(thread, name, descriptor)
                                            : nullptr;
  };
  const auto method = [&](const char* name, const char* descriptor) {
    return thread && !env->ExceptionCheck() ? env->GetMethodID(thread, name, descriptor) : nullptr;
  };
  jmethodID activeCount = statically("activeCount", "()I");
  jmethodID enumerate = statically("enumerate", "([Ljava/lang/Thread;)I");
  jmethodID currentThread = statically("currentThread", "()Ljava/lang/Thread;");
  jmethodID isDaemon = method("isDaemon", "()Z");
  jmethodID isAlive = method("isAlive", "()Z");
  jmethodID join = method("join", "()V");
  if (!activeCount || !enumerate || !currentThread || !isDaemon || !isAlive || !join) {
    env->ExceptionClear();
    return;
  }
  jobject self = env->CallStaticObjectMethod(thread, currentThread);
  for (bool joined = true; joined && !env->ExceptionCheck();) {
    joined = false;
    if (env->PushLocalFrame(16) != 0) break;
    // Room for threads that start while they are counted.
    const jint room = env->CallStaticIntMethod(thread, activeCount) + 16;
    jobjectArray threads = env->NewObjectArray(room, thread, nullptr);
    const jint count = threads ? env->CallStaticIntMethod(thread, enumerate, threads) : 0;
    for (jint i = 0; i < count && !env->ExceptionCheck(); ++i) {
      jobject other = env->GetObjectArrayElement(threads, i);
      if (!other || env->IsSameObject(other, self) || env->CallBooleanMethod(other, isDaemon) ||
          !env->CallBooleanMethod(other, isAlive)) {
        continue;
      }
      env->CallVoidMethod(other, join);
      joined = true;
    }
    env->PopLocalFrame(nullptr);
  }
  // An interrupted wait leaves the rest to the VM's own.
  env->ExceptionClear();
}

}  // namespace

SingleInstance::SingleInstance(LaunchProperties& properties)
    : properties(&properties), name(properties.getSingleInstance()) {
  if (!isInstanceName(name)) {
    throw LauncherError("The value of " + PropertyKeys::SINGLE_INSTANCE +
                        " is no name (letters, digits, '.', '-' and '_', at most 100): " + name);
  }
}

bool SingleInstance::handedOver() {
  if (name.empty()) return false;
  const auto deadline = std::chrono::steady_clock::now() + handOverLimit;
  const std::string message =
      encodeInstanceMessage({properties->getProgramArgs(), platform::currentFolder()});
  bool told = false;
  for (;;) {
    std::string reason;
    switch (platform::claimInstanceName(name, reason)) {
      case platform::NameClaim::owned:
        if (tracing()) trace("single instance: this start owns " + name);
        owner = true;
        return false;
      case platform::NameClaim::unavailable:
        if (tracing())
          trace("single instance: no hand-over here (" + reason + "), this start runs");
        return false;
      case platform::NameClaim::ownedElsewhere:
        break;
    }
    const platform::Delivery delivery = platform::sendInstanceMessage(name, message, deadline);
    if (delivery == platform::Delivery::taken) {
      if (tracing()) trace("single instance: the running start took the arguments");
      return true;
    }
    if (delivery == platform::Delivery::noAnswer || std::chrono::steady_clock::now() >= deadline) {
      throw LauncherError("The program is already running but does not answer");
    }
    if (tracing() && !std::exchange(told, true))
      trace("single instance: the running start takes no message now, waiting");
    std::this_thread::sleep_for(retryPause);
  }
}

void SingleInstance::receive(JavaVM* vm, JNIEnv* env) {
  if (!owner) return;
  receiver = new Receiver{vm, toModifiedUtf8(properties->getJniMainClass()), {}};
  // Without the hook, the gate shuts only when the program's threads have ended.
  callOnVmShutdown(env, vmEnds);
  platform::receiveInstanceMessages(
      [](const std::string& message, const platform::SenderCommit& senderCommits) {
        receiver->take(message, senderCommits);
      },
      maxInstanceMessageSize);
}

void SingleInstance::beforeVmEnds(JNIEnv* env) {
  if (!owner) return;
  if (receiver) {
    if (tracing()) trace("single instance: waiting for the program's threads");
    waitForProgramThreads(env);
  }
  vmEnds();
}

}  // namespace murvo
