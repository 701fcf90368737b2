#include "vm/JvmLibrary.h"

#include "platform/DynamicLibrary.h"
#include "platform/PathText.h"

namespace murvo {

namespace {

// The folder above the JVM library's own, where a Java home keeps the
// libraries that the JVM needs (<home>\bin, or <home>\jre\bin of a Java 8
// development kit); empty when the path has no such folder.
std::string runtimeLibraryFolder(const std::string& jvmPath) {
  const std::size_t own = jvmPath.rfind(platform::pathSeparator);
  if (own == std::string::npos || own == 0) return {};
  const std::size_t above = jvmPath.rfind(platform::pathSeparator, own - 1);
  return above == std::string::npos ? std::string() : jvmPath.substr(0, above);
}

}  // namespace

void* openJvmLibrary(const std::string& jvmPath) {
  platform::searchLibrariesIn(runtimeLibraryFolder(jvmPath));
  return platform::loadLibrary(jvmPath);
}

CreateJavaVm findCreateJavaVm(void* library) {
  return reinterpret_cast<CreateJavaVm>(platform::findSymbol(library, "JNI_CreateJavaVM"));
}

}  // namespace murvo
