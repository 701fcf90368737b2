// Windows only: the start-up cache's folders are the user's alone. A folder
// murvo makes is owned by the user with an access list for the user alone;
// a folder whose list lets others in is told apart.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which they build on.
#include <aclapi.h>
#include <sddl.h>

#include "platform/FileSystem.h"
#include "platform/win32/UserSecurity.h"

namespace murvo::platform {

namespace {

std::wstring wide(const std::string& text) {
  return std::wstring(text.begin(), text.end());
}

// True when the folder's access list lets in the user and nobody else but
// the system (Wine shows SYSTEM beside the user in every folder's list).
bool userAloneMayEnter(const std::string& folder) {
  PACL acl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(wide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS ||
      !acl) {
    return false;
  }
  bool user = false, others = false;
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* entry = nullptr;
    GetAce(acl, i, &entry);
    const PSID sid = &static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart;
    user = user || isUserSid(sid);
    others = others || (!isUserSid(sid) && !isSystemSid(sid));
  }
  LocalFree(descriptor);
  return user && !others;
}

}  // namespace

TEST(FileSystem, FoldersMadeAreTheUsersAloneAndAnOpenAccessListIsSeen) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string top = std::string(temp) + "murvo-fs-" + std::to_string(GetCurrentProcessId());
  const std::string folder = top + "\\cache\\app";
  ASSERT_TRUE(createFolders(folder));
  for (const std::string& made : {top, top + "\\cache", folder}) {
    const std::optional<FolderAccess> access = folderAccess(made);
    ASSERT_TRUE(access) << made;
    EXPECT_TRUE(access->ownedByUser && !access->othersMayWrite && !access->isLink) << made;
    EXPECT_TRUE(userAloneMayEnter(made)) << made;
  }
  EXPECT_TRUE(createNewFile(folder + "\\a.job", "jvm=x\n"));
  EXPECT_FALSE(createNewFile(folder + "\\a.job", "jvm=y\n"));
  EXPECT_EQ(readOwnFile(folder + "\\a.job", 100), "jvm=x\n");

  // Everyone may add files: no longer the user's alone.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      (L"D:P(A;;GA;;;" + *userSidText() + L")(A;;0x2;;;WD)").c_str(), SDDL_REVISION_1, &open,
      nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL openAcl = nullptr;
  GetSecurityDescriptorDacl(open, &present, &openAcl, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoW(wide(folder).data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, openAcl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(open);
  const std::optional<FolderAccess> opened = folderAccess(folder);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(opened->othersMayWrite);
  EXPECT_FALSE(userAloneMayEnter(folder));

  DeleteFileA((folder + "\\a.job").c_str());
  for (const std::string& made : {folder, top + "\\cache", top}) RemoveDirectoryA(made.c_str());
}

}  // namespace murvo::platform
