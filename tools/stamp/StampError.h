// Bad input of murvo-stamp: told to the user in one line, and nothing written.
#pragma once

#include <stdexcept>

namespace murvo::stamp {

struct StampError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace murvo::stamp
