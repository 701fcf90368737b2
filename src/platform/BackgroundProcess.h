// Copies of this executable that work for it in the background: started
// with one variable added to their environment, by which they know their
// task.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace murvo::platform {

// Starts a copy that outlives this process and holds nothing of it: no
// console, no standard input, output or error (all lead nowhere), no other
// handle or descriptor, a session or process group of its own, so that
// nothing that ends or waits for this process ends or waits for the copy.
// False when it cannot be started.
bool startDetachedCopy(const std::string& variable, const std::string& value);

// In a copy that startDetachedCopy started: takes the lowest processor and
// disk priority, then waits until the process that started it has ended.
void waitForStarterEnd();

// Runs a copy and waits for its end: its exit status, or nothing when it
// could not be started or did not exit by itself (a crash, a kill). The
// variables named in `removed` are left out of its environment.
std::optional<int> runCopy(const std::string& variable, const std::string& value,
                           const std::vector<std::string>& removed);

// From now on a crash of this process or of the processes it starts leaves
// no core file and shows no dialog.
void leaveNoCrashDumps();

// This process's identifier, which no other running process shares.
unsigned long currentProcessId();

}  // namespace murvo::platform
