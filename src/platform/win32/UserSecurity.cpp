#include "platform/win32/UserSecurity.h"

#include <vector>

namespace murvo::platform {

namespace {

// The token's user, read once: it never changes while the process runs.
const std::vector<BYTE>& tokenUser() {
  static const std::vector<BYTE> user = [] {
    std::vector<BYTE> bytes;
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return bytes;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    bytes.resize(size);
    if (!GetTokenInformation(token, TokenUser, bytes.data(), size, &size)) bytes.clear();
    CloseHandle(token);
    return bytes;
  }();
  return user;
}

PSID userSid() {
  const std::vector<BYTE>& user = tokenUser();
  return user.empty() ? nullptr : reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
}

}  // namespace

std::optional<std::wstring> userSidText() {
  wchar_t* text = nullptr;
  if (!userSid() || !ConvertSidToStringSidW(userSid(), &text)) return std::nullopt;
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

bool isUserSid(PSID sid) {
  return sid && userSid() && EqualSid(sid, userSid());
}

bool isSystemSid(PSID sid) {
  if (!sid) return false;
  if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) {
    return true;
  }
  wchar_t* text = nullptr;
  const bool installer =
      ConvertSidToStringSidW(sid, &text) && std::wstring(text).starts_with(L"S-1-5-80-956008885-");
  LocalFree(text);
  return installer;
}

}  // namespace murvo::platform
