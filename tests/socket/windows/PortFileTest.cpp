// The port file on Windows: another program holding it open, and reparse points planted at it.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/windows/AccessControl.h"
#include "socket/PortFile.h"
#include "tests/support/CapturedOutput.h"
#include "tests/support/Links.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace {

using dialforge_test::FileExists;
using dialforge_test::ListFolder;
using dialforge_test::ReadFile;
using dialforge_test::TempHome;
using VazezeveDudOzizezUziriv::PortFile;
using VazezeveDudOzizezUziriv::Tracer;
using Names = std::vector<std::string>;
using namespace std::chrono_literals;

std::wstring Wide(const std::string& path) {
  return std::filesystem::u8path(path).wstring();
}

// The file held open, without delete sharing, by another process, as the companion application
// may hold it while it reads: a command interpreter that inherits the handle and waits for
// commands on a pipe that never brings any.
class HeldByAnotherProcess {
 public:
  explicit HeldByAnotherProcess(const std::string& path) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, &inherited,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    HANDLE commands = nullptr;
    if (file == INVALID_HANDLE_VALUE || !CreatePipe(&commands, &silent, &inherited, 0) ||
        !SetHandleInformation(silent, HANDLE_FLAG_INHERIT, 0)) {
      return;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = commands;
    std::wstring commandLine = L"cmd.exe /d /q /k";
    held = CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, nullptr, &startup, &process);
    CloseHandle(commands);
    CloseHandle(file);
  }
  ~HeldByAnotherProcess() {
    End();
    if (silent != nullptr) {
      CloseHandle(silent);
    }
  }
  HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
  HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

  bool Held() const { return held; }
  // The process and so its handle gone.
  void End() {
    if (held) {
      TerminateProcess(process.hProcess, 0);
      WaitForSingleObject(process.hProcess, 10000);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
      held = false;
    }
  }

 private:
  HANDLE silent = nullptr;  // the pipe's writing end
  PROCESS_INFORMATION process{};
  bool held = false;
};

TEST(PortFileTest, AFileAnotherProgramHoldsOpenIsKeptWholeAndReplacedOnceItLetsGo) {
  TempHome home;
  home.CreateCompanionFolders();
  PortFile file(home.Path());
  const std::string folder = std::filesystem::u8path(file.Path()).parent_path().u8string();
  file.Publish(4242);
  {
    HeldByAnotherProcess holder(file.Path());
    ASSERT_TRUE(holder.Held());
    file.Publish(4343);  // retried for a moment, then given up
    EXPECT_EQ(ReadFile(file.Path()), "4242");
    EXPECT_EQ(ListFolder(folder), Names{"socket.port"}) << "no temporary file is left";

    auto publishing = std::async(std::launch::async, [&] { file.Publish(4444); });
    ASSERT_TRUE(dialforge_test::WaitUntil([&] { return ListFolder(folder).size() == 2; }))
        << "the new file is written beside the held one";
    holder.End();
    ASSERT_EQ(publishing.wait_for(10s), std::future_status::ready);
  }
  EXPECT_EQ(ReadFile(file.Path()), "4444");
  EXPECT_EQ(ListFolder(folder), Names{"socket.port"});
  file.Withdraw();
  EXPECT_FALSE(FileExists(file.Path()));
}

TEST(PortFileTest, AReparsePointAtThePortFileIsReplacedAndOneAtItsFolderRefusesTheFile) {
  TempHome home;
  home.CreateCompanionFolders();
  PortFile file(home.Path());
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "mine");
  if (!dialforge_test::PlantLink(victim, file.Path())) {
    GTEST_SKIP() << "no link could be planted (wine 8 reports one made and makes none)";
  }
  file.Publish(4242);
  EXPECT_EQ(ReadFile(victim), "mine");
  EXPECT_EQ(ReadFile(file.Path()), "4242");
  file.Withdraw();

  const std::string folder = std::filesystem::u8path(file.Path()).parent_path().u8string();
  std::filesystem::rename(std::filesystem::u8path(folder), std::filesystem::u8path(victim + "s"));
  ASSERT_TRUE(dialforge_test::PlantLink(victim + "s", folder));
  Tracer::SetTracing(true);
  const std::string traced = dialforge_test::CapturedOutput([&] {
    file.Publish(4242);
    file.Publish(4243);
  });
  EXPECT_EQ(traced, "Port file folder not private: " + folder + "\r\n") << "said once";
  EXPECT_EQ(ListFolder(victim + "s"), Names{});
}

// The process's user, as its token says.
struct ProcessUser {
  ProcessUser() {
    HANDLE token = nullptr;
    DWORD size = 0;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
      GetTokenInformation(token, TokenUser, bytes, sizeof bytes, &size);
      CloseHandle(token);
    }
  }
  PSID Sid() { return reinterpret_cast<TOKEN_USER*>(bytes)->User.Sid; }
  std::wstring Text() {
    wchar_t* text = nullptr;
    std::wstring sid;
    if (ConvertSidToStringSidW(Sid(), &text)) {
      sid = text;
      LocalFree(text);
    }
    return sid;
  }
  alignas(TOKEN_USER) unsigned char bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
};

TEST(PrivateAccessTest, OnlyTheUserTheSystemAndTheAdministratorsMayChangeWhatIsOurs) {
  ProcessUser user;
  ASSERT_FALSE(user.Text().empty());
  const std::wstring ours = L"(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + user.Text() + L")";
  const auto allows = [&](const std::wstring& sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    EXPECT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                     &descriptor, nullptr))
        << std::filesystem::path(sddl).u8string();
    const bool only = dialforge_platform::OnlyTrustedMayChange(descriptor, user.Sid());
    LocalFree(descriptor);
    return only;
  };
  EXPECT_TRUE(allows(L"D:" + ours));
  EXPECT_TRUE(allows(L"D:" + ours + L"(A;;FR;;;WD)")) << "everyone may read";
  EXPECT_TRUE(allows(L"D:" + ours + L"(A;OICIIO;FA;;;CO)")) << "for what is created inside";
  EXPECT_TRUE(allows(L"D:" + ours + L"(D;;FA;;;WD)")) << "a denial grants nothing";
  EXPECT_TRUE(allows(dialforge_platform::PrivateDaclFor(user.Sid())));
  SECURITY_DESCRIPTOR nullDacl{};
  InitializeSecurityDescriptor(&nullDacl, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&nullDacl, TRUE, nullptr, FALSE);
  EXPECT_FALSE(dialforge_platform::OnlyTrustedMayChange(&nullDacl, user.Sid()))
      << "a NULL DACL lets everyone in";
  EXPECT_FALSE(allows(L"O:SY")) << "no DACL at all";
  // A profile on a second volume inherits "Authenticated Users: Modify".
  EXPECT_FALSE(allows(L"D:" + ours + L"(A;ID;0x1301bf;;;AU)"));
  for (const wchar_t* right : {L"FW", L"GW", L"GA", L"SD", L"WD", L"WO", L"DC", L"0x4"}) {
    EXPECT_FALSE(allows(L"D:" + ours + L"(A;;" + right + L";;;WD)"))
        << std::filesystem::path(right).u8string();
  }
  EXPECT_FALSE(allows(L"D:(A;;FA;;;BU)")) << "the users of the machine";
}

TEST(PortFileTest, AFolderOtherUsersMayWriteRefusesTheFileAndOursAreMadePrivate) {
  TempHome home;
  PortFile file(home.Path());
  file.Publish(4242);
  ASSERT_EQ(ReadFile(file.Path()), "4242");
  // The folders made for it let nobody else in. (Wine keeps no protected flag to look at.)
  const std::string folder = std::filesystem::u8path(file.Path()).parent_path().u8string();
  PSECURITY_DESCRIPTOR made = nullptr;
  PACL dacl = nullptr;
  ASSERT_EQ(GetNamedSecurityInfoW(Wide(folder).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, &dacl, nullptr, &made),
            static_cast<DWORD>(ERROR_SUCCESS));
  ProcessUser user;
  EXPECT_TRUE(dialforge_platform::OnlyTrustedMayChange(made, user.Sid()));
  LocalFree(made);
  file.Withdraw();

  // As an installer's grant would leave it: everyone may write.
  PSECURITY_DESCRIPTOR open = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
      L"D:P(A;OICI;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorDacl(open, &present, &dacl, &defaulted));
  ASSERT_EQ(SetNamedSecurityInfoW(&Wide(folder)[0], SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, dacl, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(open);
  Tracer::SetTracing(true);
  EXPECT_EQ(dialforge_test::CapturedOutput([&] { file.Publish(4343); }),
            "Port file folder not private: " + folder + "\r\n");
  EXPECT_FALSE(FileExists(file.Path()));
}

}  // namespace
