#pragma once

#include <jni.h>

namespace murvo {

// Hands an exception that is pending on the calling thread (one that escaped
// main) to the thread's uncaught-exception handler, as the VM does for any
// thread that ends by an exception: a program's own default handler runs,
// and without one the thread group prints "Exception in thread ..." on
// standard error. Returns false when no exception is pending.
bool handOverUncaughtException(JNIEnv* env);

}  // namespace murvo
