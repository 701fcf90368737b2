// Console control on POSIX: SIGINT, SIGHUP and SIGTERM stand for Ctrl+C,
// console close and shutdown. The signal handler only writes the event to a
// pipe; a watcher thread reads it and calls the handler, so the handler runs
// on a thread of its own, as Windows calls it.
#include "platform/ConsoleControl.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace murvo::platform {

namespace {

struct Trapped {
  int signal;
  ConsoleEvent event;
  struct sigaction previous;
};

Trapped trapped[] = {{SIGINT, ctrlC, {}}, {SIGHUP, ctrlClose, {}}, {SIGTERM, ctrlShutdown, {}}};

int eventPipe[2] = {-1, -1};
// Never destroyed: a Java program may end the process (System.exit) from
// within the handler, on this very thread.
std::thread* watcher = nullptr;
constexpr unsigned char stopWatching = 0xFF;

void onSignal(int signal) {
  const int savedErrno = errno;
  for (const Trapped& t : trapped) {
    if (t.signal == signal) {
      const auto event = static_cast<unsigned char>(t.event);
      [[maybe_unused]] ssize_t written = write(eventPipe[1], &event, 1);
    }
  }
  errno = savedErrno;
}

void watch(ConsoleHandler handler) {
  unsigned char event;
  while (true) {
    const ssize_t got = read(eventPipe[0], &event, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0 || event == stopWatching) return;
    handler(event);
  }
}

}  // namespace

bool installConsoleHandler(ConsoleHandler handler) {
  if (watcher) return true;
  if (pipe(eventPipe) != 0) return false;
  fcntl(eventPipe[0], F_SETFD, FD_CLOEXEC);
  fcntl(eventPipe[1], F_SETFD, FD_CLOEXEC);
  try {
    watcher = new std::thread(watch, handler);
  } catch (...) {
    close(eventPipe[0]);
    close(eventPipe[1]);
    return false;
  }
  struct sigaction action = {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (Trapped& t : trapped) sigaction(t.signal, &action, &t.previous);
  return true;
}

void removeConsoleHandler(ConsoleHandler) {
  if (!watcher) return;
  for (Trapped& t : trapped) sigaction(t.signal, &t.previous, nullptr);
  const unsigned char stop = stopWatching;
  [[maybe_unused]] ssize_t written = write(eventPipe[1], &stop, 1);
  watcher->join();
  delete watcher;
  watcher = nullptr;
  close(eventPipe[0]);
  close(eventPipe[1]);
}

}  // namespace murvo::platform
