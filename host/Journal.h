// The record of the plug-in's calls: a count of every call per operation, and one line per
// call of a state-changing operation, kept in memory and, when asked, written to a file or
// standard output and flushed at each call.
#ifndef DIALFORGE_HOST_JOURNAL_H
#define DIALFORGE_HOST_JOURNAL_H

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/Operations.h"
#include "sdk/ADOBESDK_Types.h"

namespace dialforge_host {

// Journal fields: flags as 0 or 1, integers in decimal, floats as "%f".
std::string FlagField(ADOBESDK_Boolean flag);
std::string FloatField(float value);

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  void Count(Operation operation) { ++counts[static_cast<std::size_t>(operation)]; }
  // The suite label, the operation and the arguments, separated by tabs.
  void Record(const OperationInfo& operation, const std::vector<std::string>& arguments);
  // "User", the user's action and its arguments.
  void RecordUser(const std::string& action, const std::vector<std::string>& arguments);

  // False when the file cannot be opened for writing; the output is then unchanged.
  bool WriteToFile(const std::string& path);
  void WriteToStandardOutput();
  void KeepInMemoryOnly();
  void ClearLines() { lines.clear(); }

  const std::vector<std::string>& Lines() const { return lines; }
  uint64_t CallCount(Operation operation) const {
    return counts[static_cast<std::size_t>(operation)];
  }

 private:
  void CloseFile();
  void Write(std::string line, const std::vector<std::string>& arguments);

  std::vector<std::string> lines;
  std::array<uint64_t, kOperationCount> counts{};
  std::FILE* output = nullptr;
  bool ownsOutput = false;
};

}  // namespace dialforge_host

#endif
