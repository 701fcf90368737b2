#include "single-instance/InstanceMessage.h"

#include <cstdint>

namespace murvo {

namespace {

// "murvo", a version byte and a zero byte: a message of another program or
// of a future form of this one is dropped.
constexpr std::string_view magic{"murvo\x01\x00", 7};

void putCount(std::string& out, std::size_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> 8 * i & 0xFF);
}

void putText(std::string& out, const std::string& text) {
  putCount(out, text.size());
  out += text;
}

// Reads from the front of `rest`; false when it does not hold the part.
bool takeCount(std::string_view& rest, std::size_t& value) {
  if (rest.size() < 4) return false;
  value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(rest[i]);
  rest.remove_prefix(4);
  return true;
}

bool takeText(std::string_view& rest, std::string& text) {
  std::size_t size;
  if (!takeCount(rest, size) || size > rest.size()) return false;
  text.assign(rest.substr(0, size));
  rest.remove_prefix(size);
  return true;
}

}  // namespace

std::string encodeInstanceMessage(const InstanceMessage& message) {
  std::string out(magic);
  putCount(out, message.arguments.size());
  for (const std::string& argument : message.arguments) putText(out, argument);
  putText(out, message.workingDirectory);
  return out;
}

std::optional<InstanceMessage> decodeInstanceMessage(std::string_view bytes) {
  if (bytes.size() > maxInstanceMessageSize || !bytes.starts_with(magic)) return std::nullopt;
  std::string_view rest = bytes.substr(magic.size());
  std::size_t count;
  // Each argument takes at least its four-byte size: a count beyond that is
  // a lie, and nothing is reserved for it.
  if (!takeCount(rest, count) || count > rest.size() / 4) return std::nullopt;
  InstanceMessage message;
  message.arguments.resize(count);
  for (std::string& argument : message.arguments) {
    if (!takeText(rest, argument)) return std::nullopt;
  }
  if (!takeText(rest, message.workingDirectory) || !rest.empty()) return std::nullopt;
  return message;
}

}  // namespace murvo
