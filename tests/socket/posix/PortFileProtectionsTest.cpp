// The port file's protections where POSIX plants them: links, modes, owners, the umask and a
// file size limit.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "socket/PortFile.h"
#include "tests/socket/ListenerFixture.h"
#include "tests/support/TestSupport.h"
#include "trace/Tracer.h"

namespace {

using dialforge_test::DialforgeSocketTest;
using dialforge_test::FileExists;
using dialforge_test::ListFolder;
using dialforge_test::ReadFile;
using dialforge_test::TempHome;
using VazezeveDudOzizezUziriv::ListenerState;
using VazezeveDudOzizezUziriv::PortFile;
using VazezeveDudOzizezUziriv::Tracer;

TEST_F(DialforgeSocketTest, ThePortFileIsPrivateReplacesALinkAndIsLeftToANewerListener) {
  std::filesystem::remove_all(home.PathOf(".local/share/Dialforge/PluginData"));
  const mode_t previousMask = umask(0);
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  umask(previousMask);
  const auto mode = [](const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
  };
  EXPECT_EQ(mode(home.PathOf(".local/share/Dialforge/PluginData")), 0700u);
  EXPECT_EQ(mode(home.PathOf(".local/share/Dialforge/PluginData/PremierePro")), 0700u);
  EXPECT_EQ(mode(PortFile()), 0600u);
  listener.StopListening();

  // A link planted at the path is replaced, and what it pointed at stays as it was.
  const std::string victim = home.PathOf("victim");
  dialforge_test::WriteFile(victim, "mine");
  ASSERT_EQ(symlink(victim.c_str(), PortFile().c_str()), 0);
  listener.StartListening(0);
  ASSERT_TRUE(WaitForState(ListenerState::Listening));
  EXPECT_EQ(ReadFile(victim), "mine");
  EXPECT_EQ(ReadFile(PortFile()), std::to_string(listener.GetPort()));

  listener.StopListening();
  EXPECT_EQ(ListFolder(home.PathOf(".local/share/Dialforge/PluginData/PremierePro")),
            std::vector<std::string>{})
      << "no temporary file is left";
}

TEST(PortFileTest, AFailedWriteLeavesThePreviousFileWhole) {
  TempHome home;
  home.CreateCompanionFolders();
  PortFile file(home.Path());
  file.Publish(4242);
  ASSERT_EQ(ReadFile(file.Path()), "4242");
  // As on a full disk: no byte can be written.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  rlimit none = previous;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  file.Publish(4343);
  setrlimit(RLIMIT_FSIZE, &previous);
  EXPECT_EQ(ReadFile(file.Path()), "4242");
  EXPECT_EQ(ListFolder(home.PathOf(".local/share/Dialforge/PluginData/PremierePro")),
            std::vector<std::string>{"socket.port"});
  file.RepublishIfMissing(4343);
  EXPECT_EQ(ReadFile(file.Path()), "4343") << "a failed publication is retried at the next check";
  file.RepublishIfMissing(4444);
  EXPECT_EQ(ReadFile(file.Path()), "4343") << "and only then";
  file.Withdraw();
  EXPECT_FALSE(FileExists(file.Path())) << "the file still holds our port";
}

// Another user who controls a folder of the path could put their own port in the file.
TEST(PortFileTest, AFolderAnotherUserCouldChangeRefusesTheFileAndIsTracedOnce) {
  struct Case {
    const char* name;
    const char* folder;  // under the home; "" is the home itself
    std::function<void(const std::string&)> spoil;
    bool refused;
  };
  const auto modeOf = [](mode_t mode) {
    return [mode](const std::string& path) { ASSERT_EQ(chmod(path.c_str(), mode), 0); };
  };
  const auto linkTo = [](const std::string& path) {
    std::filesystem::rename(path, path + "-elsewhere");
    ASSERT_EQ(symlink((path + "-elsewhere").c_str(), path.c_str()), 0);
  };
  const auto otherOwner = [](const std::string& path) {
    ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
  };
  std::vector<Case> cases = {
      {"a link", ".local/share/Dialforge/PluginData/PremierePro", linkTo, true},
      {"group-writable", ".local/share/Dialforge/PluginData", modeOf(0770), true},
      {"others-writable", ".local/share", modeOf(0703), true},
      {"a writable home", "", modeOf(0777), true},
      {"a home that is a link", "", linkTo, false},
      {"a private folder", ".local", modeOf(0500), false}};
  if (geteuid() == 0) {
    cases.push_back({"another owner", ".local/share/Dialforge", otherOwner, true});
  }
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    TempHome home;
    home.CreateCompanionFolders();
    const std::string folder =
        std::string(test.folder).empty() ? home.Path() : home.PathOf(test.folder);
    test.spoil(folder);
    Tracer::SetTracing(true);
    testing::internal::CaptureStdout();
    {
      PortFile file(home.Path());
      file.Publish(4242);
      file.Publish(4243);
      EXPECT_EQ(FileExists(file.Path()), !test.refused);
      file.Withdraw();
      EXPECT_FALSE(FileExists(file.Path()));
    }
    Tracer::Stop();
    const std::string traced = testing::internal::GetCapturedStdout();
    Tracer::SetTracing(false);
    EXPECT_EQ(traced, test.refused ? "Port file folder not private: " + folder + "\r\n" : "");
    EXPECT_FALSE(FileExists(folder + "-elsewhere/socket.port"));
    chmod(folder.c_str(), 0700);
    std::filesystem::remove_all(folder + "-elsewhere");
  }
}

}  // namespace
