// Helpers shared by the tests.
#ifndef DIALFORGE_TESTS_SUPPORT_TESTSUPPORT_H
#define DIALFORGE_TESTS_SUPPORT_TESTSUPPORT_H

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace dialforge_test {

// Set by CMake for the Windows build.
constexpr bool kOnWindows = DIALFORGE_TEST_ON_WINDOWS != 0;

// A temporary folder that is HOME while the object lives; removed with everything in it.
class TempHome {
 public:
  TempHome();
  ~TempHome();
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  const std::string& Path() const { return path; }
  std::string PathOf(const std::string& relative) const { return path + "/" + relative; }
  void CreateFolder(const std::string& relative) const;
  // The folders the companion application creates: the port file's and the log files'.
  void CreateCompanionFolders() const;

  static const std::string kPortFile;
  static const std::string kLogsFolder;
  // The plug-in's own folder under the home, where its marker files go.
  static const std::string kDataFolder;

 private:
  std::string path;
  std::string previousHome;
  bool hadHome = false;
};

// Polls the condition until it holds or the deadline passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(10));

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
// Throws std::runtime_error when the file cannot be written.
void WriteFile(const std::string& path, const std::string& text);
// Names of the entries of a folder, sorted; empty when the folder does not exist.
std::vector<std::string> ListFolder(const std::string& path);
// The text cut at every occurrence of the separator; a last piece is kept even when empty.
std::vector<std::string> SplitLines(const std::string& text, const std::string& separator);

// The messages of the log file's complete lines under the home, without their stamps; empty
// while there is not exactly one log file.
std::vector<std::string> LoggedTraces(const std::string& home);

}  // namespace dialforge_test

#endif
