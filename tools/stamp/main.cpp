// murvo-stamp: writes a copy of murvo.exe or murvoc.exe with the icon and
// version information of the program it will start.
#include <cstdio>
#include <string>
#include <vector>

#include "StampCommand.h"
#include "Utf.h"

namespace {

int run(const std::vector<std::string>& args) {
  std::string message;
  const int status = murvo::stamp::stampMain(args, message);
  if (status != 0) std::fprintf(stderr, "murvo-stamp: %s\n", message.c_str());
  return status;
}

}  // namespace

#ifdef _WIN32
// The wide entry: texts and paths in any script, as UTF-8 from here on.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg(argv[i]);
    args.push_back(murvo::stamp::utf8FromUtf16(std::u16string(arg.begin(), arg.end())));
  }
  return run(args);
}
#else
int main(int argc, char** argv) {
  return run({argv + 1, argv + argc});
}
#endif
