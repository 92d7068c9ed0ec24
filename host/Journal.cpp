#include "host/Journal.h"

namespace dialforge_host {

std::string FlagField(ADOBESDK_Boolean flag) {
  return flag != 0 ? "1" : "0";
}

std::string FloatField(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return text;
}

Journal::~Journal() {
  CloseFile();
}

void Journal::Record(const OperationInfo& operation, const std::vector<std::string>& arguments) {
  Write(std::string(operation.journalLabel) + '\t' + operation.name, arguments);
}

void Journal::RecordUser(const std::string& action, const std::vector<std::string>& arguments) {
  Write("User\t" + action, arguments);
}

void Journal::Write(std::string line, const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    line += '\t';
    line += argument;
  }
  if (output != nullptr) {
    std::fwrite(line.data(), 1, line.size(), output);
    std::fputc('\n', output);
    std::fflush(output);
  }
  lines.push_back(std::move(line));
}

bool Journal::WriteToFile(const std::string& path) {
  // Binary: lines end in a line feed alone on every system, as scripts compare them.
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return false;
  }
  CloseFile();
  output = file;
  ownsOutput = true;
  return true;
}

void Journal::WriteToStandardOutput() {
  CloseFile();
  output = stdout;
}

void Journal::KeepInMemoryOnly() {
  CloseFile();
}

void Journal::CloseFile() {
  if (ownsOutput) {
    std::fclose(output);
  }
  output = nullptr;
  ownsOutput = false;
}

}  // namespace dialforge_host
