// The owner holds a lock file and listens on a Unix socket beside it, in a
// folder of the user's alone: $XDG_RUNTIME_DIR/murvo, else murvo-instances in
// the user's cache folder (~/.cache), where no other user can make the folder
// first. The system lets go of the lock when the owner's process ends,
// however it ends; a socket left behind by a dead owner is replaced by the
// next one. A message goes as its size in four bytes (least significant
// first) and its bytes. The owner, ready to deliver it, offers one byte; the
// sender, while it still waits, commits with one byte. The kernel queues the
// commit before the owner gives up waiting for it, or refuses it (EPIPE):
// exactly one of the two sides decides, and both learn the same outcome.
#include "platform/InstanceChannel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/Environment.h"
#include "platform/FileLock.h"
#include "platform/UserFolders.h"

namespace murvo::platform {

namespace {

constexpr char readyOffer = 'R';
constexpr char commitAnswer = 'C';
// A sender that stalls halfway holds the owner no longer than this.
constexpr int stalledSenderSeconds = 5;

struct Channel {
  std::mutex mutex;
  int listener = -1;
  std::string socketPath;
  bool stopped = false;
};

// Never destroyed: the receiving thread may run while the process ends.
Channel& channel = *new Channel;

// A folder that nobody but the user can enter or write to.
bool folderOfTheUsersAlone(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == getuid() && (status.st_mode & 077) == 0;
}

std::optional<std::string> channelFolder(std::string& reason) {
  std::string folder;
  if (auto runtime = environmentVariable("XDG_RUNTIME_DIR");
      runtime && runtime->starts_with('/') && folderOfTheUsersAlone(*runtime)) {
    folder = *runtime + "/murvo";
  } else if (const std::optional<std::string> cache = userCacheFolder()) {
    // The cache folder itself may not exist yet.
    mkdir(cache->c_str(), 0700);
    folder = *cache + "/murvo-instances";
  } else {
    reason = "neither XDG_RUNTIME_DIR nor a home folder";
    return std::nullopt;
  }
  mkdir(folder.c_str(), 0700);
  if (!folderOfTheUsersAlone(folder)) {
    reason = folder + " is not a folder of the user's alone";
    return std::nullopt;
  }
  return folder;
}

// The socket's address: its file is named after the name where it fits in
// the address, else after a hash of the name.
std::optional<sockaddr_un> socketAddress(const std::string& folder, const std::string& name) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::string path = folder + "/" + name + ".socket";
  if (path.size() >= sizeof address.sun_path) {
    std::uint64_t hash = 14695981039346656037u;
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211u;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    path = folder + "/" + hex + ".socket";
  }
  if (path.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

bool peerIsTheUser(int socket) {
  ucred peer{};
  socklen_t size = sizeof peer;
  return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

void setTimeouts(int socket, std::chrono::microseconds limit) {
  const auto micros = std::max<std::int64_t>(limit.count(), 1000);
  const timeval value{static_cast<time_t>(micros / 1000000),
                      static_cast<suseconds_t>(micros % 1000000)};
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value);
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &value, sizeof value);
}

// Reads or writes all of `size` bytes; the errno of a failure is kept.
template <class Transfer>
bool transferAll(int socket, char* bytes, std::size_t size, Transfer transfer) {
  while (size > 0) {
    const ssize_t done = transfer(socket, bytes, size);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      if (done == 0) errno = 0;
      return false;
    }
    bytes += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

bool readAll(int socket, char* bytes, std::size_t size) {
  return transferAll(socket, bytes, size,
                     [](int s, char* b, std::size_t n) { return recv(s, b, n, 0); });
}

bool writeAll(int socket, const char* bytes, std::size_t size) {
  return transferAll(socket, const_cast<char*>(bytes), size,
                     [](int s, char* b, std::size_t n) { return send(s, b, n, MSG_NOSIGNAL); });
}

bool senderCommits(int client) {
  if (!writeAll(client, &readyOffer, 1)) return false;
  char answer = 0;
  if (readAll(client, &answer, 1)) return answer == commitAnswer;
  if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
  // No answer in time: from now on the sender's commit fails, and one that
  // was queued before this line is still read.
  shutdown(client, SHUT_RD);
  return recv(client, &answer, 1, MSG_DONTWAIT) == 1 && answer == commitAnswer;
}

void serve(int client, const MessageTaker& take, std::size_t maxSize) {
  if (!peerIsTheUser(client)) return;
  setTimeouts(client, std::chrono::seconds(stalledSenderSeconds));
  unsigned char header[4];
  if (!readAll(client, reinterpret_cast<char*>(header), sizeof header)) return;
  const std::size_t size =
      header[0] | header[1] << 8 | header[2] << 16 | static_cast<std::size_t>(header[3]) << 24;
  if (size > maxSize) return;
  std::string message(size, '\0');
  if (!readAll(client, message.data(), size)) return;
  take(message, [client] { return senderCommits(client); });
}

bool stopped() {
  std::lock_guard lock(channel.mutex);
  return channel.stopped;
}

}  // namespace

NameClaim claimInstanceName(const std::string& name, std::string& reason) {
  const std::optional<std::string> folder = channelFolder(reason);
  if (!folder) return NameClaim::unavailable;
  const std::optional<sockaddr_un> address = socketAddress(*folder, name);
  if (!address) {
    reason = "the path of a socket in " + *folder + " is too long";
    return NameClaim::unavailable;
  }
  if (!holdFileLock(*folder + "/" + name + ".lock")) return NameClaim::ownedElsewhere;
  // What is left of a dead owner goes; the lock keeps any living one away.
  unlink(address->sun_path);
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener < 0 ||
      bind(listener, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
      listen(listener, SOMAXCONN) != 0) {
    reason = std::string(address->sun_path) + ": " + std::strerror(errno);
    if (listener >= 0) close(listener);
    return NameClaim::unavailable;
  }
  std::lock_guard lock(channel.mutex);
  channel.listener = listener;
  channel.socketPath = address->sun_path;
  return NameClaim::owned;
}

void receiveInstanceMessages(MessageTaker take, std::size_t maxSize) {
  // Never joined: the process may end while it waits for a sender.
  std::thread([take = std::move(take), maxSize] {
    int listener;
    {
      std::lock_guard lock(channel.mutex);
      listener = channel.listener;
    }
    while (!stopped()) {
      const int client = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) {
        // Out of descriptors for a moment: try again a little later.
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        continue;
      }
      if (!stopped()) serve(client, take, maxSize);
      close(client);
    }
    // Senders still waiting in the queue learn that the owner ends.
    close(listener);
  }).detach();
}

void stopReceiving() {
  std::lock_guard lock(channel.mutex);
  if (channel.stopped || channel.listener < 0) return;
  channel.stopped = true;
  // Wakes the receiving thread from accept; a new sender finds no socket.
  shutdown(channel.listener, SHUT_RDWR);
  unlink(channel.socketPath.c_str());
}

Delivery sendInstanceMessage(const std::string& name, const std::string& message,
                             std::chrono::steady_clock::time_point deadline) {
  std::string reason;
  const std::optional<std::string> folder = channelFolder(reason);
  const std::optional<sockaddr_un> address = folder ? socketAddress(*folder, name) : std::nullopt;
  if (!address) return Delivery::notReached;
  const int sender = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (sender < 0) return Delivery::notReached;
  Delivery delivery = Delivery::notReached;
  // Also bounds connecting to an owner whose queue is full.
  setTimeouts(sender, std::chrono::duration_cast<std::chrono::microseconds>(
                          deadline - std::chrono::steady_clock::now()));
  if (connect(sender, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
      peerIsTheUser(sender)) {
    std::string framed(4, '\0');
    for (int i = 0; i < 4; ++i) framed[i] = static_cast<char>(message.size() >> 8 * i & 0xFF);
    framed += message;
    char offer = 0;
    if (writeAll(sender, framed.data(), framed.size()) && readAll(sender, &offer, 1)) {
      // The owner is ready: the commit decides, and an owner that gave up
      // meanwhile refuses it.
      if (offer == readyOffer && writeAll(sender, &commitAnswer, 1)) delivery = Delivery::taken;
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      // Given up: closing the socket makes a late owner's offer fail.
      delivery = Delivery::noAnswer;
    }
  }
  close(sender);
  return delivery;
}

}  // namespace murvo::platform
