#include "platform/BackgroundProcess.h"

#include <windows.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/win32/WideText.h"

namespace murvo::platform {

namespace {

// Where a detached copy finds the handle of the process that started it.
constexpr const char* starterVariable = "MURVO_STARTER_PROCESS";

// This process's environment block with the given variables set, and those
// named in `removed` left out.
std::wstring environmentWith(const std::vector<std::pair<std::string, std::string>>& variables,
                             const std::vector<std::string>& removed = {}) {
  std::wstring block;
  wchar_t* own = GetEnvironmentStringsW();
  for (const wchar_t* entry = own; *entry; entry += std::wcslen(entry) + 1) {
    const std::wstring_view text(entry);
    bool replaced = false;
    const auto named = [&](const std::string& name) {
      const std::wstring prefix = widen(name) + L'=';
      return text.size() >= prefix.size() &&
             CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                  static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
    };
    for (const auto& [name, value] : variables) replaced = replaced || named(name);
    for (const std::string& name : removed) replaced = replaced || named(name);
    if (!replaced) block.append(text).push_back(L'\0');
  }
  FreeEnvironmentStringsW(own);
  for (const auto& [name, value] : variables)
    block.append(widen(name + '=' + value)).push_back(L'\0');
  block.push_back(L'\0');
  return block;
}

// Starts this executable without a console window of its own; `inherited`,
// when not null, is the one handle the copy receives.
bool startCopy(std::wstring environment, DWORD flags, HANDLE inherited, PROCESS_INFORMATION& info) {
  const std::wstring path = widen(executablePath());
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  std::vector<char> attributeList;
  if (inherited) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attributeList.resize(size);
    startup.lpAttributeList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeList.data());
    if (!InitializeProcThreadAttributeList(startup.lpAttributeList, 1, 0, &size) ||
        !UpdateProcThreadAttribute(startup.lpAttributeList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                   &inherited, sizeof inherited, nullptr, nullptr)) {
      return false;
    }
    flags |= EXTENDED_STARTUPINFO_PRESENT;
    // Standard handles the copy does not get: none lead to this process's console or pipes.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  }
  const bool started =
      CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, inherited != nullptr,
                     flags | CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, environment.data(),
                     nullptr, &startup.StartupInfo, &info);
  if (inherited) DeleteProcThreadAttributeList(startup.lpAttributeList);
  return started;
}

}  // namespace

bool startDetachedCopy(const std::string& variable, const std::string& value) {
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE, TRUE, 0)) {
    return false;
  }
  const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(self));
  PROCESS_INFORMATION info;
  const bool started = startCopy(environmentWith({{variable, value}, {starterVariable, handle}}),
                                 CREATE_NEW_PROCESS_GROUP | IDLE_PRIORITY_CLASS, self, info);
  CloseHandle(self);
  if (!started) return false;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

void waitForStarterEnd() {
  SetPriorityClass(GetCurrentProcess(), PROCESS_MODE_BACKGROUND_BEGIN);
  const std::optional<std::string> handle = environmentVariable(starterVariable);
  if (!handle) return;
  const auto starter = reinterpret_cast<HANDLE>(std::strtoull(handle->c_str(), nullptr, 10));
  WaitForSingleObject(starter, INFINITE);
  CloseHandle(starter);
}

std::optional<int> runCopy(const std::string& variable, const std::string& value,
                           const std::vector<std::string>& removed) {
  PROCESS_INFORMATION info;
  if (!startCopy(environmentWith({{variable, value}}, removed), 0, nullptr, info)) {
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD status = 1;
  const bool known = GetExitCodeProcess(info.hProcess, &status);
  CloseHandle(info.hProcess);
  if (!known) return std::nullopt;
  return static_cast<int>(status);
}

void leaveNoCrashDumps() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
}

unsigned long currentProcessId() {
  return GetCurrentProcessId();
}

}  // namespace murvo::platform
