// Orders arbitrary version texts. The input holds three versions separated
// by line feeds; the comparison must be a consistent order on them.
#include <cstdint>
#include <string_view>

#include "FuzzSupport.h"
#include "config/VersionOrder.h"

namespace {

int sign(int order) {
  return (order > 0) - (order < 0);
}

std::string_view next(std::string_view& rest) {
  const std::size_t end = rest.find('\n');
  const std::string_view part = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using murvo::fuzz::require;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const std::string_view v[3] = {next(rest), next(rest), next(rest)};
  int order[3][3];
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) order[i][j] = sign(murvo::compareVersions(v[i], v[j]));
  }
  for (int i = 0; i < 3; ++i) {
    require(order[i][i] == 0, "a version equals itself");
    for (int j = 0; j < 3; ++j) {
      require(order[i][j] == -order[j][i], "swapping the versions turns the order round");
      for (int k = 0; k < 3; ++k) {
        require(!(order[i][j] <= 0 && order[j][k] <= 0 && order[i][k] > 0), "transitive");
        require(order[i][j] != 0 || order[i][k] == order[j][k],
                "equal versions stand alike towards a third");
      }
    }
  }
  // A pre-release ("25-ea") is the one longer text that sorts below its
  // beginning ("25").
  const auto preRelease = [](std::string_view version) {
    return version.substr(0, version.find('+')).find('-') != std::string_view::npos;
  };
  require(!v[1].starts_with(v[0]) || order[0][1] <= 0 || (preRelease(v[1]) && !preRelease(v[0])),
          "a longer text never sorts below its own beginning, but for a pre-release");
  return 0;
}
