#include "startup-cache/ArchiveJob.h"

#include <algorithm>

namespace murvo {

namespace {

// The items with one value, in the order they are written.
template <typename Visit>
void eachSingleItem(auto& job, Visit&& visit) {
  visit("jvm", job.jvmLibrary);
  visit("list", job.classList);
  visit("loads", job.classLoads);
  visit("partial", job.partial);
  visit("archive", job.archive);
  visit("failed", job.failed);
  visit("crash", job.crashLog);
  visit("lock", job.lock);
  visit("folder", job.folder);
  visit("prefix", job.prefix);
}

std::string escaped(const std::string& value) {
  std::string text;
  for (char c : value) {
    if (c == '\n') {
      text += "\\n";
    } else if (c == '\r') {
      text += "\\r";
    } else if (c == '\\') {
      text += "\\\\";
    } else {
      text += c;
    }
  }
  return text;
}

// Nothing for a backslash that escapes nothing known.
std::optional<std::string> unescaped(std::string_view text) {
  std::string value;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      value += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 'n':
        value += '\n';
        break;
      case 'r':
        value += '\r';
        break;
      case '\\':
        value += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  return value;
}

}  // namespace

std::string encodeArchiveJob(const ArchiveJob& job) {
  std::string text;
  const auto line = [&](std::string_view name, const std::string& value) {
    text.append(name).append("=").append(escaped(value)).append("\n");
  };
  eachSingleItem(job, line);
  for (const std::string& option : job.dumpOptions) line("option", option);
  return text;
}

std::optional<ArchiveJob> decodeArchiveJob(std::string_view text) {
  ArchiveJob job;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view name = line.substr(0, equals);
    const std::optional<std::string> unescapedValue = unescaped(line.substr(equals + 1));
    if (!unescapedValue) return std::nullopt;
    const std::string& value = *unescapedValue;
    bool known = false;
    eachSingleItem(job, [&](std::string_view item, std::string& field) {
      if (item == name && !known) {
        field = value;
        known = true;
      }
    });
    if (name == "option") {
      job.dumpOptions.push_back(value);
      known = true;
    }
    if (!known) return std::nullopt;
  }
  bool complete = !job.dumpOptions.empty();
  eachSingleItem(job, [&](std::string_view item, const std::string& field) {
    complete = complete && (!field.empty() || item == "loads");
  });
  if (!complete) return std::nullopt;
  return job;
}

}  // namespace murvo
