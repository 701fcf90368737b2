// The murvo-stamp command: its options, and the branded copy written from
// them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace murvo::stamp {

struct StampOptions {
  std::optional<std::string> icon;
  std::optional<std::array<std::uint16_t, 4>> version;
  // Version texts given as options: ("ProductName", "Shop"), ...
  std::vector<std::pair<std::string, std::string>> strings;
  std::string source;
  std::string target;
};

// The arguments after the program's name, UTF-8. Throws StampError.
StampOptions parseStampOptions(const std::vector<std::string>& args);

// Writes the branded copy: the target appears only once it is complete.
// Throws StampError.
void writeBrandedCopy(const StampOptions& options);

// The whole command: 0 when the copy is written, otherwise 1 and the
// one-line message in `message`.
int stampMain(const std::vector<std::string>& args, std::string& message);

}  // namespace murvo::stamp
