// The port file on Windows: another program holding it open, and reparse points planted at it.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

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

}  // namespace
