// A virtual X screen (Xvfb) of a test's own, read back as a person sees it:
// its pixels through xwd, its windows' names through xwininfo.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace murvo::e2e {

using Colour = std::array<int, 3>;

constexpr int screenWidth = 640;
constexpr int screenHeight = 480;

// An X server of its own for the test, with a black screen.
class VirtualScreen {
 public:
  VirtualScreen() {
    namespace fs = std::filesystem;
    if (access("/usr/bin/Xvfb", X_OK) != 0) return;
    const int number = 100 + getpid() % 800;
    const std::string size =
        std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    server = fork();
    if (server == 0) {
      execl("/usr/bin/Xvfb", "Xvfb", (":" + std::to_string(number)).c_str(), "-screen", "0",
            size.c_str(), "-br", "-nolisten", "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 500 && !fs::exists(socket); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!fs::exists(socket)) return;
    display = ":" + std::to_string(number);
    // The socket comes before the server serves: wait until it answers, as a
    // desktop's display does long before any program starts.
    for (int i = 0; i < 500 && middle()[0] < 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~VirtualScreen() { stop(); }

  // Ends the X server: every window on it goes.
  void stop() {
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
      server = -1;
    }
  }

  // Empty when no X server could start.
  const std::string& name() const { return display; }

  // What a command prints about the screen.
  std::string output(const std::string& command) const {
    std::string text;
    if (FILE* pipe = popen((command + " -display " + display).c_str(), "r")) {
      char buffer[65536];
      for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
      pclose(pipe);
    }
    return text;
  }

  // The names of the windows on the screen, one a line, as xwininfo lists them.
  std::string windows() const { return output("xwininfo -root -tree"); }

  // Every pixel, row by row, read back with xwd; empty when it cannot be read.
  std::vector<Colour> pixels() const { return read(false); }

  // The colour at the middle of the screen; read alone, so that a test
  // samples the screen often, also in a slow (sanitized) build.
  Colour middle() const {
    const std::vector<Colour> one = read(true);
    return one.empty() ? Colour{-1, -1, -1} : one[0];
  }

  // How many pixels are not the black of the empty screen; -1 when the screen
  // cannot be read.
  int litPixels() const {
    const std::vector<Colour> all = pixels();
    if (all.empty()) return -1;
    int lit = 0;
    for (const Colour& colour : all) lit += colour != Colour{0, 0, 0};
    return lit;
  }

  // Waits until the middle of the screen shows the colour (`shown`) or not.
  // JPEG's colour conversion may move a channel by a step or two.
  bool awaitMiddle(bool shown, const Colour& colour) const {
    auto near = [&](const Colour& seen) {
      for (int c = 0; c < 3; ++c) {
        if (std::abs(seen[c] - colour[c]) > 3) return false;
      }
      return true;
    };
    for (int i = 0; i < 300; ++i) {
      if (near(middle()) == shown) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  // The screen's pixels, or only its middle one, decoded from xwd's image.
  std::vector<Colour> read(bool middleOnly) const {
    const std::string image = output("xwd -root -silent");
    auto field = [&](std::size_t index) {
      std::uint32_t value = 0;
      for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(image[index * 4 + i]);
      return value;
    };
    if (image.size() < 100 || field(11) != 32) return {};
    const auto pixelAt = [&](int x, int y, Colour& colour) {
      const std::size_t at = field(0) + field(19) * 12 + y * field(12) + x * 4;
      if (at + 4 > image.size()) return false;
      std::uint32_t pixel = 0;
      for (int i = 0; i < 4; ++i) {
        const int byte = field(7) == 0 ? 3 - i : i;  // 0: least significant byte first
        pixel = pixel << 8 | static_cast<unsigned char>(image[at + byte]);
      }
      for (int c = 0; c < 3; ++c) {
        std::uint32_t mask = field(14 + c);
        int shift = 0;
        while (mask && !(mask & 1)) mask >>= 1, ++shift;
        colour[c] = static_cast<int>((pixel >> shift) & mask);
      }
      return true;
    };
    std::vector<Colour> result;
    Colour colour{};
    if (middleOnly) {
      if (!pixelAt(screenWidth / 2, screenHeight / 2, colour)) return {};
      return {colour};
    }
    for (int y = 0; y < screenHeight; ++y) {
      for (int x = 0; x < screenWidth; ++x) {
        if (!pixelAt(x, y, colour)) return {};
        result.push_back(colour);
      }
    }
    return result;
  }

  pid_t server = -1;
  std::string display;
};

}  // namespace murvo::e2e
