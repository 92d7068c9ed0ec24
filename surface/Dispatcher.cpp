// The request dispatcher: picks the command by its keyword and builds the reply.
#include <cstdint>
#include <optional>
#include <utility>

#include "compose/ComposeHelper.h"
#include "surface/Dialforge.h"
#include "surface/RequestParsing.h"
#include "trace/Printable.h"
#include "trace/Tracer.h"

namespace VazezeveDudOzizezUziriv {

namespace {

// "ChangeLumetri" and "ExecuteCommand" read their field 3.
constexpr size_t kFieldsWithValue = 4;

bool HasValueField(const std::vector<std::string>& fields) {
  if (fields.size() < kFieldsWithValue) {
    Tracer::TRACE("Invalid message");
    return false;
  }
  return true;
}

}  // namespace

std::string Dialforge::ProcessDialforgeCommand(std::vector<std::string> fields) {
  if (fields.size() < 3) {
    Tracer::TRACE("Invalid message");
    return std::string();
  }
  const std::string& keyword = fields[1];
  if (keyword == "ChangeLumetri") {
    // Text that is no number changes nothing: 0 would move the user's grade.
    if (HasValueField(fields)) {
      if (const std::optional<float> value = ParseDouble(fields[3])) {
        ChangeLumetriParameter(fields[2], *value);
      }
    }
  } else if (keyword == "ChangeLumetriMenuValue") {
    ChangeLumetriMenu(fields[2]);
  } else if (keyword == "ChangeLumetriPanelMode") {
    // A negative number arrives as a large mode, which SetMode refuses.
    if (const std::optional<int32_t> mode = ParseInteger(fields[2])) {
      SetMode(static_cast<unsigned int>(*mode));
    }
  } else if (keyword == "ChangeMixer") {
    // Accepted, and nothing to do.
  } else if (keyword == "ExecuteCommand") {
    if (HasValueField(fields)) {
      ExecuteCommand(fields[2], fields[3]);
    }
  } else if (keyword == "Navigate") {
    Navigate(fields[2]);
  } else if (keyword == "ResetChangeLumetri") {
    ResetParameter(fields[2]);
  } else if (keyword == "GetParameters") {
    // Composed straight behind the request id, so the reply is never copied again.
    std::string reply = std::move(fields[0]);
    reply += '|';
    ComposeSnapshot(fields[2], reply);
    return reply;
  } else if (keyword == "Transport") {
    Transport(std::move(fields));
  } else {
    Tracer::TRACE("Unknown command '%s'", Printable(keyword).c_str());
  }
  return std::string();
}

void Dialforge::ComposeSnapshot(const std::string& name, std::string& reply) {
  enum class Snapshot { LumetriParameters, LumetriMenu, Mixer, Commands };
  Snapshot snapshot;
  if (name == "LumetriParameters") {
    snapshot = Snapshot::LumetriParameters;
  } else if (name == "LumetriMenu") {
    snapshot = Snapshot::LumetriMenu;
  } else if (name == "Mixer") {
    snapshot = Snapshot::Mixer;
  } else if (name == "Commands") {
    snapshot = Snapshot::Commands;
  } else {
    Tracer::TRACE("Unknown GetParameters command '%s'", Printable(name).c_str());
    return;
  }
  const ComposeHelper* current = ComposeHelper::GetInstance();
  if (current == nullptr) {
    return;
  }
  const ComposeHelper composer = *current;
  switch (snapshot) {
    case Snapshot::LumetriParameters:
      composer.ComposeLumetriParameters(GetLumetriSuite(), GetHostLumetriRef(), reply);
      break;
    case Snapshot::LumetriMenu:
      composer.ComposeLumetriMenu(GetLumetriSuite(), GetHostLumetriRef(), reply);
      break;
    case Snapshot::Mixer:
      composer.ComposeMixer(GetMixerSuite(), GetHostMixerRef(), reply);
      break;
    case Snapshot::Commands:
      composer.ComposeCommands(GetCommandSuite(), GetHostCommandRef(), reply);
      break;
  }
}

}  // namespace VazezeveDudOzizezUziriv
