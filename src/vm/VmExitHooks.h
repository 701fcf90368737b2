// The VM ends the process by itself for options that it accepts but cannot
// honour (a heap too small, an agent that cannot be loaded): HotSpot through
// the abort hook of the invocation interface, a VM may also through its exit
// hook with a status. While the VM is being created such an end is a VM that
// cannot be created, and is reported so; once the VM exists, it ends the
// process with the program's status and nothing is added.
#pragma once

#include <jni.h>

namespace murvo {

// Appends the exit and abort hooks to the VM's options.
void addVmExitHooks(JavaVMInitArgs& args);

// Set for the time of JNI_CreateJavaVM.
void setVmBeingCreated(bool creating);
// True while JNI_CreateJavaVM runs: a failure reported now is the VM's end
// while it was being created.
bool isVmBeingCreated();

// The hooks, as the VM calls them, on any of its threads. A status of 0
// while the VM is being created is the VM's own success (it has printed
// what an option asked for and ends), and stays; so does the status of an
// interrupt (Ctrl+C, SIGTERM) that ends the VM while it starts.
void JNICALL vmExitHook(jint status);
void JNICALL vmAbortHook();

}  // namespace murvo
