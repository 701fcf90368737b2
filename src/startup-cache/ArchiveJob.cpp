#include "startup-cache/ArchiveJob.h"

#include <algorithm>

namespace murvo {

namespace {

// The items with one value, in the order they are written.
template <typename Visit>
void eachSingleItem(auto& job, Visit&& visit) {
  visit("jvm", job.jvmLibrary);
  visit("list", job.classList);
  visit("partial", job.partial);
  visit("archive", job.archive);
  visit("failed", job.failed);
  visit("lock", job.lock);
  visit("folder", job.folder);
  visit("prefix", job.prefix);
}

}  // namespace

std::string encodeArchiveJob(const ArchiveJob& job) {
  std::string text;
  const auto line = [&](std::string_view name, const std::string& value) {
    text.append(name).append("=").append(value).append("\n");
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
    const std::string value(line.substr(equals + 1));
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
  eachSingleItem(job, [&](std::string_view, const std::string& field) {
    complete = complete && !field.empty();
  });
  if (!complete) return std::nullopt;
  return job;
}

}  // namespace murvo
