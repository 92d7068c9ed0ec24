#include "tests/support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace dialforge_test {

TempHome::TempHome() {
  std::string pattern = (std::filesystem::temp_directory_path() / "dialforge-home-XXXXXX").string();
  if (mkdtemp(&pattern[0]) == nullptr) {
    throw std::runtime_error("cannot create a temporary home");
  }
  path = pattern;
  if (const char* home = std::getenv("HOME")) {
    hadHome = true;
    previousHome = home;
  }
  setenv("HOME", path.c_str(), 1);
}

TempHome::~TempHome() {
  if (hadHome) {
    setenv("HOME", previousHome.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

void TempHome::CreateFolder(const std::string& relative) const {
  std::filesystem::create_directories(PathOf(relative));
}

void TempHome::CreateCompanionFolders() const {
  CreateFolder(".local/share/Dialforge/PluginData/PremierePro");
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
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  if (!file) {
    throw std::runtime_error("cannot write " + path);
  }
}

bool FileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(path, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
    names.push_back(entry.path().filename().string());
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

}  // namespace dialforge_test
