// The instrumentation library test double (instrument.dll): Agent_OnAttach
// prints the manifest of the jar it is handed, which holds it stored, and
// the agent's argument, and fails for an agent class whose name holds
// "NoSuch", as the real library fails for a class that does not exist.
#include <jni.h>
#include <windows.h>

#include <cstdio>
#include <string>

extern "C" __declspec(dllexport) jint JNICALL Agent_OnAttach(JavaVM*, char* options, void*) {
  const std::string given(options);
  const std::size_t equals = given.rfind('=');
  const std::string path = given.substr(0, equals);
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), nullptr, 0),
                    L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), wide.data(), int(wide.size()));
  std::string bytes;
  if (std::FILE* jar = _wfopen(wide.c_str(), L"rb")) {
    char buffer[4096];
    for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, jar)) > 0;) {
      bytes.append(buffer, count);
    }
    std::fclose(jar);
  }
  const std::size_t start = bytes.find("Manifest-Version");
  const std::size_t end = bytes.find("\r\n\r\n", start);
  if (start == std::string::npos || end == std::string::npos) return JNI_ERR;
  const std::string manifest = bytes.substr(start, end + 2 - start);
  // Written as it is: the C library's text mode would double the CRs.
  const std::string line = "fakeinstrument: [" + given.substr(equals + 1) + "] " + manifest;
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), DWORD(line.size()), &written, nullptr);
  return manifest.find("NoSuch") == std::string::npos ? JNI_OK : 102;
}
