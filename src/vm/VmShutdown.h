// The moment the VM starts to end, however it ends: System.exit, the last
// thread that is no daemon, a signal. The VM runs its shutdown hooks then,
// long before the invocation interface's exit hook, so a hook of the
// launcher's own, a thread whose run() is native, learns it first.
#pragma once

#include <jni.h>

namespace murvo {

// Calls `action` on a shutdown-hook thread of the VM when it starts to end.
// False when the hook cannot be registered (the VM lacks a means).
bool callOnVmShutdown(JNIEnv* env, void (*action)());

}  // namespace murvo
