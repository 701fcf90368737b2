// Times how soon a command puts a window on the X screen: from its start to
// the MapNotify of a new top-level window (the splash), then ends the command.
// Rounds rotate the order of the commands, as the runner's do.
//
//   splashwatch <rounds> <warmup rounds> <label> <command...> :: <label> <command...> ...
//
// Prints one line per command, <label> <median ms to the window>, then one
// line per pair of commands, B given before A: pair <A> <B> <median A/B>.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"

extern char** environ;

namespace {

using Command = TimedCommand<double>;  // samples in milliseconds

// Starts the command and waits for the first window mapped on the root.
double timeToWindow(Display* display, const Command& command) {
  XSync(display, True);  // drops what earlier rounds left behind
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, command.argv[0], &actions, nullptr, command.argv.data(), environ) != 0) {
    std::fprintf(stderr, "splashwatch: cannot start %s\n", command.argv[0]);
    std::exit(2);
  }
  posix_spawn_file_actions_destroy(&actions);
  double elapsed = -1;
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  while (elapsed < 0) {
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && elapsed < 0) {
        elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
      }
    }
    if (elapsed >= 0) break;
    if (poll(&connection, 1, 10000) == 0) {
      std::fprintf(stderr, "splashwatch: %s showed no window\n", command.label.c_str());
      std::exit(2);
    }
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return elapsed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: splashwatch <rounds> <warmup> <label> <command...> [:: ...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "splashwatch: no X display\n");
    return 2;
  }
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  const int rounds = std::atoi(argv[1]);
  const int warmup = std::atoi(argv[2]);
  std::vector<Command> commands = parseCommands<double>(argc, argv, 3);

  const std::size_t n = commands.size();
  for (int round = 0; round < warmup + rounds; ++round) {
    for (std::size_t k = 0; k < n; ++k) {
      Command& command = commands[(k + round) % n];
      const double ms = timeToWindow(display, command);
      if (round >= warmup) command.samples.push_back(ms);
    }
  }
  for (const Command& c : commands) std::printf("%s %.1f\n", c.label.c_str(), medianOf(c.samples));
  for (std::size_t i = 1; i < n; ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      std::vector<double> ratios;
      for (int r = 0; r < rounds; ++r) {
        ratios.push_back(commands[i].samples[r] / commands[j].samples[r]);
      }
      std::printf("pair %s %s %.4f\n", commands[i].label.c_str(), commands[j].label.c_str(),
                  medianOf(ratios));
    }
  }
  XCloseDisplay(display);
}
