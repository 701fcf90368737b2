#include "vm/VmShutdown.h"

#include <mutex>
#include <vector>

#include "reporting/Trace.h"

namespace murvo {

namespace {

// The class file of
//   final class murvo.VmShutdownNotice extends Thread {
//     VmShutdownNotice() { super(); }
//     public native void run();
//   }
// in version 49, which needs no stack map, defined in the VM as it is.
// clang-format off
constexpr unsigned char noticeClass[] = {
    0xCA, 0xFE, 0xBA, 0xBE, 0x00, 0x00, 0x00, 0x31,  // magic, version 49.0
    0x00, 0x0B,                                      // 10 constants:
    0x01, 0x00, 0x16, 'm', 'u', 'r', 'v', 'o', '/',  // #1 murvo/VmShutdownNotice
    'V', 'm', 'S', 'h', 'u', 't', 'd', 'o', 'w', 'n', 'N', 'o', 't', 'i', 'c', 'e',
    0x07, 0x00, 0x01,                                // #2 class #1
    0x01, 0x00, 0x10, 'j', 'a', 'v', 'a', '/',       // #3 java/lang/Thread
    'l', 'a', 'n', 'g', '/', 'T', 'h', 'r', 'e', 'a', 'd',
    0x07, 0x00, 0x03,                                // #4 class #3
    0x01, 0x00, 0x06, '<', 'i', 'n', 'i', 't', '>',  // #5 <init>
    0x01, 0x00, 0x03, '(', ')', 'V',                 // #6 ()V
    0x0C, 0x00, 0x05, 0x00, 0x06,                    // #7 <init> ()V
    0x0A, 0x00, 0x04, 0x00, 0x07,                    // #8 Thread.<init>()V
    0x01, 0x00, 0x04, 'C', 'o', 'd', 'e',            // #9 Code
    0x01, 0x00, 0x03, 'r', 'u', 'n',                 // #10 run
    0x00, 0x30, 0x00, 0x02, 0x00, 0x04,              // final, this #2, super #4
    0x00, 0x00, 0x00, 0x00, 0x00, 0x02,              // no interfaces, no fields, 2 methods:
    0x00, 0x01, 0x00, 0x05, 0x00, 0x06, 0x00, 0x01,  // public <init>()V, 1 attribute:
    0x00, 0x09, 0x00, 0x00, 0x00, 0x11,              // Code, 17 bytes:
    0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05,  // stack 1, locals 1, 5 bytes of code:
    0x2A, 0xB7, 0x00, 0x08, 0xB1,                    // aload_0, invokespecial #8, return
    0x00, 0x00, 0x00, 0x00,                          // no handlers, no attributes
    0x01, 0x01, 0x00, 0x0A, 0x00, 0x06, 0x00, 0x00,  // public native run()V, no attributes
    0x00, 0x00,                                      // no attributes
};
// clang-format on

struct Actions {
  std::mutex mutex;
  std::vector<void (*)()> list;
  bool registered = false;
};

// Never destroyed: the hook runs while the process ends.
Actions& actions = *new Actions;

void JNICALL vmShutdownStarts(JNIEnv*, jobject) {
  if (tracing()) trace("the VM starts to end");
  std::vector<void (*)()> list;
  {
    std::lock_guard lock(actions.mutex);
    list = actions.list;
  }
  for (void (*action)() : list) action();
}

bool registerHook(JNIEnv* env) {
  if (env->PushLocalFrame(8) != 0) return false;
  jclass notice = env->DefineClass("murvo/VmShutdownNotice", nullptr,
                                   reinterpret_cast<const jbyte*>(noticeClass), sizeof noticeClass);
  const JNINativeMethod run{const_cast<char*>("run"), const_cast<char*>("()V"),
                            reinterpret_cast<void*>(vmShutdownStarts)};
  jmethodID create = notice && env->RegisterNatives(notice, &run, 1) == 0
                         ? env->GetMethodID(notice, "<init>", "()V")
                         : nullptr;
  jobject hook = create ? env->NewObject(notice, create) : nullptr;
  jclass runtime = hook ? env->FindClass("java/lang/Runtime") : nullptr;
  jmethodID getRuntime =
      runtime ? env->GetStaticMethodID(runtime, "getRuntime", "()Ljava/lang/Runtime;") : nullptr;
  jmethodID addShutdownHook =
      getRuntime ? env->GetMethodID(runtime, "addShutdownHook", "(Ljava/lang/Thread;)V") : nullptr;
  jobject current = addShutdownHook ? env->CallStaticObjectMethod(runtime, getRuntime) : nullptr;
  if (current && !env->ExceptionCheck()) env->CallVoidMethod(current, addShutdownHook, hook);
  const bool registered = current && !env->ExceptionCheck();
  env->ExceptionClear();
  env->PopLocalFrame(nullptr);
  return registered;
}

}  // namespace

bool callOnVmShutdown(JNIEnv* env, void (*action)()) {
  std::lock_guard lock(actions.mutex);
  if (!actions.registered) actions.registered = registerHook(env);
  if (tracing() && !actions.registered) trace("no shutdown hook: the VM refused it");
  if (actions.registered) actions.list.push_back(action);
  return actions.registered;
}

}  // namespace murvo
