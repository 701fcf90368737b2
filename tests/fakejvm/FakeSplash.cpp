// The splash library test double (splashscreen.dll): shows nothing and writes
// one line per call to the file that FAKESPLASH_LOG names, the first naming
// the library's own path. SplashLoadFile fails for a file whose first 64
// bytes hold "corrupt". SplashClose also writes a line on standard error, so that its
// place before a failure's message can be seen.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void logLine(const std::string& line) {
  const char* path = std::getenv("FAKESPLASH_LOG");
  if (!path) return;
  if (std::FILE* log = std::fopen(path, "ab")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

}  // namespace

extern "C" {

__declspec(dllexport) void SplashInit() {
  char self[MAX_PATH] = {};
  HMODULE module = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&SplashInit), &module);
  GetModuleFileNameA(module, self, MAX_PATH);
  logLine(std::string("library ") + self);
  logLine("SplashInit");
}

__declspec(dllexport) int SplashLoadFile(const char* path) {
  logLine(std::string("SplashLoadFile ") + path);
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return 0;
  std::string start(64, '\0');
  start.resize(std::fread(start.data(), 1, start.size(), file));
  std::fclose(file);
  return start.find("corrupt") == std::string::npos ? 1 : 0;
}

__declspec(dllexport) void SplashSetFileJarName(const char* file, const char* jar) {
  logLine(std::string("SplashSetFileJarName ") + file + " " + (jar ? jar : "(none)"));
}

__declspec(dllexport) void SplashSetScaleFactor(float scale) {
  logLine("SplashSetScaleFactor " + std::to_string(scale));
}

__declspec(dllexport) void SplashClose() {
  logLine("SplashClose");
  std::fputs("fakesplash: SplashClose\n", stderr);
  std::fflush(stderr);
}
}
