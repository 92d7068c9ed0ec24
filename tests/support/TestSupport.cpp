#include "tests/support/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "trace/Tracer.h"

namespace dialforge_test {

using dialforge_platform::HomeVariable;

const std::string TempHome::kPortFile =
    std::string(dialforge_platform::kDataFolderInHome) + "/PluginData/PremierePro/socket.port";
const std::string TempHome::kDataFolder = dialforge_platform::kDataFolderInHome;
const std::string TempHome::kLogsFolder =
    std::string(dialforge_platform::kDataFolderInHome) + "/Logs";

TempHome::TempHome() : path(dialforge_platform::MakeTemporaryFolder("dialforge-home-")) {
  if (path.empty()) {
    throw std::runtime_error("cannot create a temporary home");
  }
  if (const std::optional<std::string> home = dialforge_platform::Variable(HomeVariable())) {
    hadHome = true;
    previousHome = *home;
  }
  dialforge_platform::SetVariable(HomeVariable(), path);
}

TempHome::~TempHome() {
  // The tracer's writer keeps this process's log file open until it ends, and Windows removes no
  // folder that holds an open file.
  VazezeveDudOzizezUziriv::Tracer::Stop();
  if (hadHome) {
    dialforge_platform::SetVariable(HomeVariable(), previousHome);
  } else {
    dialforge_platform::UnsetVariable(HomeVariable());
  }
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::u8path(path), ignored);
}

void TempHome::CreateFolder(const std::string& relative) const {
  std::filesystem::create_directories(std::filesystem::u8path(PathOf(relative)));
}

void TempHome::CreateCompanionFolders() const {
  CreateFolder(std::string(dialforge_platform::kDataFolderInHome) + "/PluginData/PremierePro");
  CreateFolder(kLogsFolder);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream file(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::u8path(path), ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(std::filesystem::u8path(path), std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::u8path(path), error)) {
    names.push_back(entry.path().filename().u8string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t at = text.find(separator); at != std::string::npos;
       at = text.find(separator, start)) {
    pieces.push_back(text.substr(start, at - start));
    start = at + separator.size();
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

std::vector<std::string> LoggedTraces(const std::string& home) {
  // This process's own lines; a loaded module writes out its own at the last instance's stop.
  VazezeveDudOzizezUziriv::Tracer::Stop();
  const std::string logs = home + "/" + TempHome::kLogsFolder;
  const auto files = ListFolder(logs);
  if (files.size() != 1) {
    return {};
  }
  auto lines = SplitLines(ReadFile(logs + "/" + files[0]), "\r\n");
  lines.pop_back();
  for (auto& line : lines) {
    line.erase(0, line.find(" | ") + 3);
  }
  return lines;
}

}  // namespace dialforge_test
