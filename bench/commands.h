// What the bench's timing programs share: the commands named on their
// command line, `<label> <command...> :: <label> <command...> ...`, each
// with the samples of its measured rounds, and the median of a set of values.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

template <class Sample>
struct TimedCommand {
  std::string label;
  std::vector<char*> argv;      // ends with a null pointer
  std::vector<Sample> samples;  // one per measured round
};

template <class Sample>
std::vector<TimedCommand<Sample>> parseCommands(int argc, char** argv, int first) {
  std::vector<TimedCommand<Sample>> commands;
  for (int i = first; i < argc; ++i) {
    if (commands.empty() || std::strcmp(argv[i], "::") == 0) {
      if (std::strcmp(argv[i], "::") == 0) ++i;
      commands.push_back({argv[i], {}, {}});
      continue;
    }
    commands.back().argv.push_back(argv[i]);
  }
  for (auto& command : commands) command.argv.push_back(nullptr);
  return commands;
}

inline double medianOf(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}
