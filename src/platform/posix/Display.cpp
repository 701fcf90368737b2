#include "platform/Display.h"

#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Environment.h"

namespace murvo::platform {

namespace {

// A connection to the display as an X client opens it: DISPLAY is
// [protocol/][host]:number[.screen]; without a host (or with "unix") the
// server's socket /tmp/.X11-unix/X<number> (its abstract name first, as the
// X libraries try it), else TCP port 6000 + number on the host. -1 when
// none connects; `reason` then says why.
int connectToDisplay(const std::string& display, std::string& reason) {
  const std::size_t colon = display.rfind(':');
  std::string host = display.substr(0, colon);
  if (const std::size_t slash = host.find('/'); slash != std::string::npos)
    host.erase(0, slash + 1);
  const std::string rest = display.substr(colon + 1);
  const std::string number = rest.substr(0, rest.find('.'));
  if (colon == std::string::npos || number.empty() ||
      number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5) {
    reason = "DISPLAY names no X display: " + display;
    return -1;
  }
  if (host.empty() || host == "unix") {
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {true, false}) {
      sockaddr_un address{};
      address.sun_family = AF_UNIX;
      std::memcpy(address.sun_path + abstract, path.c_str(), path.size());
      const socklen_t size = offsetof(sockaddr_un, sun_path) + abstract + path.size();
      const int server = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
      if (server >= 0 && connect(server, reinterpret_cast<sockaddr*>(&address), size) == 0)
        return server;
      if (server >= 0) close(server);
    }
    reason = "no X server listens at " + path;
    return -1;
  }
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(6000 + std::stoi(number));
  if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
    reason = "cannot find the host " + host;
    return -1;
  }
  int server = -1;
  for (addrinfo* at = found; at && server < 0; at = at->ai_next) {
    server = socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC, at->ai_protocol);
    if (server >= 0 && connect(server, at->ai_addr, at->ai_addrlen) != 0) {
      close(server);
      server = -1;
    }
  }
  freeaddrinfo(found);
  if (server < 0) reason = "no X server listens at " + host + " port " + port;
  return server;
}

// Opens a connection and sends the setup request (byte order, protocol 11.0,
// no authorisation): a server that lives answers at once with its first
// byte, be it success, failure or a demand to authenticate.
std::string probe(const std::string& display) {
  std::string reason;
  const int server = connectToDisplay(display, reason);
  if (server < 0) return reason;
  const timeval limit{5, 0};  // the caller gives up sooner; this only ends the thread
  setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  setsockopt(server, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  const char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  char first;
  const bool answered = send(server, setup, sizeof setup, MSG_NOSIGNAL) == sizeof setup &&
                        recv(server, &first, 1, 0) == 1;
  close(server);
  return answered ? "" : "the X server at " + display + " does not answer";
}

}  // namespace

bool hasDisplay() {
  const std::optional<std::string> display = environmentVariable("DISPLAY");
  return display && !display->empty();
}

std::string displayFailure(std::chrono::milliseconds limit) {
  const std::string display = environmentVariable("DISPLAY").value_or("");
  struct Outcome {
    std::mutex mutex;
    std::condition_variable done;
    std::optional<std::string> failure;
  };
  auto outcome = std::make_shared<Outcome>();
  // On a thread of its own, so that a host name that takes long to look up
  // is bounded too; it ends by itself after its own limit.
  std::thread([outcome, display] {
    std::string failure = probe(display);
    std::lock_guard lock(outcome->mutex);
    outcome->failure = std::move(failure);
    outcome->done.notify_all();
  }).detach();
  std::unique_lock lock(outcome->mutex);
  if (!outcome->done.wait_for(lock, limit, [&] { return outcome->failure.has_value(); })) {
    return "the X server at " + display + " does not answer within " +
           std::to_string(limit.count()) + " ms";
  }
  return *outcome->failure;
}

float displayScale() {
  return 1;
}

void watchSplashWindow(unsigned seconds, void (*action)()) {
  if (seconds == 0) return;
  // Detached: the process may end before the time is up, and nothing waits.
  std::thread([seconds, action] {
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    action();
  }).detach();
}

}  // namespace murvo::platform
