// Resolves arbitrary property texts. Beyond not crashing: a text without
// "${" stays as it is; a resolved text holds no closed reference (inserted
// values hold none) and resolves to itself again; a failure names the
// resolution.
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "config/VariableResolver.h"
#include "discovery/JvmLocator.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  murvo::fuzz::setUpProcess();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using murvo::fuzz::require;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const murvo::fuzz::JavaRegistry registry;
  murvo::LaunchProperties properties;
  properties.useJavaLookup(murvo::discoveryLookup());
  properties.setExePath("/opt/app/bin/app");
  murvo::VariableResolver resolver(properties);
  std::string text = input;
  try {
    resolver.resolve(text);
  } catch (const murvo::FailureReported& failure) {
    require(input.find("${") != std::string::npos, "only a reference can fail");
    murvo::fuzz::expectMessage(failure, {"Error resolving property variables."});
    return 0;
  }
  require(input.find("${") != std::string::npos || text == input,
          "a text without references stays as it is");
  require(!resolver.hasVariable(text), "no closed reference is left");
  std::string again = text;
  require(resolver.resolve(again) == text, "a resolved text resolves to itself");
  return 0;
}
