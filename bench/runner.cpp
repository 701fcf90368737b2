// Times commands side by side: each round starts every command once, in an
// order that rotates from round to round, so that load from elsewhere on the
// machine falls on all of them alike. hyperfine runs all of one command
// before the next, which is why the bench has its own loop.
//
//   runner <rounds> <warmup rounds> <label> <command...> :: <label> <command...> ...
//
// Prints one line per command:
//   <label> <wall us> <cpu us> <peak RSS KiB>
// medians of the wall time, the processor time (user and system, which
// other load on the machine barely touches) and the peak resident memory;
// then one line per pair of commands, B given before A:
//   pair <A> <B> <wall A/B> <wall A-B us> <cpu A/B> <cpu A-B us>
// medians over the rounds of the ratio and the difference within a round.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
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

struct Sample {
  double wall;  // microseconds
  double cpu;   // microseconds
  double kib;
};

using Command = TimedCommand<Sample>;

// Runs one command with its output discarded; any failure ends the bench.
Sample runOnce(const Command& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, command.argv[0], &actions, nullptr, command.argv.data(), environ) != 0) {
    std::fprintf(stderr, "runner: cannot start %s\n", command.argv[0]);
    std::exit(2);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "runner: %s (%s) failed with status %d\n", command.label.c_str(),
                 command.argv[0], status);
    std::exit(2);
  }
  auto micros = [](const timeval& t) { return t.tv_sec * 1e6 + t.tv_usec; };
  return {std::chrono::duration<double, std::micro>(end - start).count(),
          micros(usage.ru_utime) + micros(usage.ru_stime), static_cast<double>(usage.ru_maxrss)};
}

template <class Of>
double median(const std::vector<Sample>& a, const std::vector<Sample>& b, Of of) {
  std::vector<double> values;
  for (std::size_t i = 0; i < a.size(); ++i) values.push_back(of(a[i], b[i]));
  return medianOf(values);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: runner <rounds> <warmup> <label> <command...> [:: ...]\n");
    return 2;
  }
  const int rounds = std::atoi(argv[1]);
  const int warmup = std::atoi(argv[2]);
  std::vector<Command> commands = parseCommands<Sample>(argc, argv, 3);

  const std::size_t n = commands.size();
  for (int round = 0; round < warmup + rounds; ++round) {
    std::vector<Sample> samples(n);
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t index = (k + round) % n;
      samples[index] = runOnce(commands[index]);
    }
    if (round < warmup) continue;
    for (std::size_t index = 0; index < n; ++index) {
      commands[index].samples.push_back(samples[index]);
    }
  }
  for (const Command& c : commands) {
    const auto& s = c.samples;
    std::printf("%s %.1f %.1f %.0f\n", c.label.c_str(),
                median(s, s, [](auto x, auto) { return x.wall; }),
                median(s, s, [](auto x, auto) { return x.cpu; }),
                median(s, s, [](auto x, auto) { return x.kib; }));
  }
  for (std::size_t i = 1; i < n; ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      const auto &a = commands[i].samples, &b = commands[j].samples;
      std::printf("pair %s %s %.4f %.1f %.4f %.1f\n", commands[i].label.c_str(),
                  commands[j].label.c_str(),
                  median(a, b, [](auto x, auto y) { return x.wall / y.wall; }),
                  median(a, b, [](auto x, auto y) { return x.wall - y.wall; }),
                  median(a, b, [](auto x, auto y) { return x.cpu / y.cpu; }),
                  median(a, b, [](auto x, auto y) { return x.cpu - y.cpu; }));
    }
  }
}
