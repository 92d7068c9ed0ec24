#include "platform/ProcessCounts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace dialforge_platform {

namespace {

// Entries of a folder of /proc that pass the check; nothing where there is none (macOS).
template <typename Check>
std::optional<std::size_t> EntriesOf(const char* folder, Check counts) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) {
    return std::nullopt;
  }
  std::size_t count = 0;
  for (; entries != std::filesystem::directory_iterator(); entries.increment(error)) {
    if (error) {
      return std::nullopt;
    }
    count += counts(entries->path()) ? 1 : 0;
  }
  return count;
}

// The kernel's PF_EXITING: a thread that has been joined may still be listed for a moment after
// its join returned, while the kernel ends it.
constexpr unsigned long kExiting = 0x4;

// Whether the thread of this /proc/self/task entry is on its way out; false when it cannot say.
bool IsExiting(const std::filesystem::path& task) {
  std::ifstream stat(task / "stat");
  std::string text;
  std::getline(stat, text);
  // The name in parentheses may hold blanks; the fields after it are counted from its end.
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) {
    return false;
  }
  std::size_t position = nameEnd + 1;
  // The flags are the seventh field after the name: state, ppid, pgrp, session, tty, tpgid, flags.
  for (int field = 0; field < 7; ++field) {
    position = text.find_first_not_of(' ', position);
    if (position == std::string::npos) {
      return false;
    }
    if (field < 6) {
      position = text.find(' ', position);
    }
  }
  return (std::strtoul(text.c_str() + position, nullptr, 10) & kExiting) != 0;
}

}  // namespace

std::optional<std::size_t> ThreadCount() {
  return EntriesOf("/proc/self/task",
                   [](const std::filesystem::path& task) { return !IsExiting(task); });
}

std::optional<std::size_t> OpenHandleCount() {
  return EntriesOf("/proc/self/fd", [](const std::filesystem::path&) { return true; });
}

}  // namespace dialforge_platform
