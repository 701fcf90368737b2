// The user this process runs as, and security for objects of the user's alone.
#pragma once

#include <windows.h>
// After windows.h, which it builds on.
#include <sddl.h>

#include <optional>
#include <string>

namespace murvo::platform {

// The user's SID as text (S-1-5-21-...); nothing when the token cannot tell.
std::optional<std::wstring> userSidText();

// True when `sid` is the user's.
bool isUserSid(PSID sid);

// True for the SIDs of the system's administration: SYSTEM, the
// Administrators group and TrustedInstaller.
bool isSystemSid(PSID sid);

// How an object's access passes on: not at all (a pipe, a mutex), or to
// every file and folder that a folder holds.
enum class Inheritance { none, toContents };

// Runs `make` with attributes that make an object owned by the user, whom
// alone its access list lets in; what `make` returns, or `failed` when there
// are no such attributes.
template <class Make, class Result>
Result withUserOnlySecurity(Inheritance inheritance, Make make, Result failed) {
  const std::optional<std::wstring> sid = userSidText();
  if (!sid) return failed;
  const std::wstring sddl = L"O:" + *sid + L"D:P(A;" +
                            (inheritance == Inheritance::toContents ? L"OICI" : L"") + L";GA;;;" +
                            *sid + L")";
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return failed;
  }
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  const Result made = make(&attributes);
  const DWORD error = GetLastError();
  LocalFree(descriptor);
  SetLastError(error);
  return made;
}

}  // namespace murvo::platform
