#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace murvo::platform {

void* loadLibrary(const std::string& path) {
  return LoadLibraryA(path.c_str());
}

void* findSymbol(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void freeLibrary(void* library) {
  FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace murvo::platform
