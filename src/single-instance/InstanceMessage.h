// What a later start of a single-instance program hands to the first: its
// program arguments and its working directory, as bytes on the channel
// between the two. Nothing but these messages' own shape is trusted: a
// message that is malformed, truncated or too long decodes to nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace murvo {

struct InstanceMessage {
  std::vector<std::string> arguments;
  std::string workingDirectory;

  bool operator==(const InstanceMessage&) const = default;
};

// The largest message: more than any command line holds.
constexpr std::size_t maxInstanceMessageSize = 64u << 20;

std::string encodeInstanceMessage(const InstanceMessage& message);
std::optional<InstanceMessage> decodeInstanceMessage(std::string_view bytes);

}  // namespace murvo
