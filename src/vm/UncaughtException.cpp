#include "vm/UncaughtException.h"

namespace murvo {

namespace {

// Thread.currentThread().getUncaughtExceptionHandler()
//     .uncaughtException(thread, thrown). A step that fails leaves its
// exception pending and ends the call.
void callUncaughtExceptionHandler(JNIEnv* env, jthrowable thrown) {
  jclass threadClass = env->FindClass("java/lang/Thread");
  if (!threadClass) return;
  jmethodID currentThread =
      env->GetStaticMethodID(threadClass, "currentThread", "()Ljava/lang/Thread;");
  if (!currentThread) return;
  jobject thread = env->CallStaticObjectMethod(threadClass, currentThread);
  if (!thread) return;
  jmethodID getHandler = env->GetMethodID(threadClass, "getUncaughtExceptionHandler",
                                          "()Ljava/lang/Thread$UncaughtExceptionHandler;");
  if (!getHandler) return;
  jobject handler = env->CallObjectMethod(thread, getHandler);
  if (!handler) return;
  jclass handlerClass = env->FindClass("java/lang/Thread$UncaughtExceptionHandler");
  if (!handlerClass) return;
  jmethodID uncaughtException = env->GetMethodID(handlerClass, "uncaughtException",
                                                 "(Ljava/lang/Thread;Ljava/lang/Throwable;)V");
  if (!uncaughtException) return;
  env->CallVoidMethod(handler, uncaughtException, thread, thrown);
}

}  // namespace

bool handOverUncaughtException(JNIEnv* env) {
  jthrowable thrown = env->ExceptionOccurred();
  if (!thrown) return false;
  env->ExceptionClear();
  callUncaughtExceptionHandler(env, thrown);
  // What the handler itself throws is described, and so is a failed step.
  if (env->ExceptionOccurred()) env->ExceptionDescribe();
  return true;
}

}  // namespace murvo
