// Console control on POSIX: SIGINT, SIGHUP and SIGTERM stand for Ctrl+C,
// console close and shutdown. The signal handler only marks its event as
// pending and wakes a watcher thread, which calls the handler, so that the
// handler runs on a thread of its own, as Windows calls it.
#include "platform/ConsoleControl.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

namespace murvo::platform {

namespace {

struct Trapped {
  int signal;
  ConsoleEvent event;
  // Set by the signal handler, cleared by the watcher just before it calls
  // the handler: events of one kind that come while the handler is busy
  // merge into one more call.
  std::atomic<bool> pending;
};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler sets it");

Trapped trapped[] = {{SIGINT, ctrlC, {}}, {SIGHUP, ctrlClose, {}}, {SIGTERM, ctrlShutdown, {}}};

// The write end never blocks: when the pipe is full, the watcher has
// wake-ups enough waiting for it.
int wakePipe[2] = {-1, -1};

void onSignal(int signal) {
  const int savedErrno = errno;
  for (Trapped& t : trapped) {
    if (t.signal == signal) t.pending = true;
  }
  const char wake = 0;
  [[maybe_unused]] ssize_t written = write(wakePipe[1], &wake, 1);
  errno = savedErrno;
}

// Never joined: a call of the handler may never return (a Java program that
// exits in a VM that shuts down), or end the process on this very thread.
void watch(ConsoleHandler handler) {
  char wakeUps[256];
  while (true) {
    const ssize_t got = read(wakePipe[0], wakeUps, sizeof wakeUps);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    for (Trapped& t : trapped) {
      if (t.pending.exchange(false)) handler(t.event);
    }
  }
}

}  // namespace

bool systemEndsProcessAfter(std::uint32_t) {
  return false;
}

int endStatusOf(std::uint32_t event) {
  for (const Trapped& t : trapped) {
    if (t.event == event) return 128 + t.signal;
  }
  return 1;
}

bool installConsoleHandler(ConsoleHandler handler) {
  if (wakePipe[0] >= 0) return true;
  if (pipe(wakePipe) != 0) return false;
  for (int end : wakePipe) fcntl(end, F_SETFD, FD_CLOEXEC);
  fcntl(wakePipe[1], F_SETFL, fcntl(wakePipe[1], F_GETFL) | O_NONBLOCK);
  try {
    std::thread(watch, handler).detach();
  } catch (...) {
    close(wakePipe[0]);
    close(wakePipe[1]);
    wakePipe[0] = wakePipe[1] = -1;
    return false;
  }
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const Trapped& t : trapped) sigaction(t.signal, &action, nullptr);
  return true;
}

}  // namespace murvo::platform
