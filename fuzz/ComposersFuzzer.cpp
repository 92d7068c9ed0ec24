// The snapshot composers on host data of any bytes and sizes: a project built from the input,
// served by the simulated host, and a string suite that answers whatever the input says. With
// the host's own strings, every text must be the plain reference's byte for byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "compose/ComposeHelper.h"
#include "compose/NumberText.h"
#include "host/SimulatedHost.h"
#include "tests/support/PluginView.h"
#include "tests/support/ReferenceSnapshots.h"

namespace {

using dialforge_host::Project;
using VazezeveDudOzizezUziriv::ComposeHelper;

void Check(bool holds) {
  if (!holds) {
    std::abort();
  }
}

std::string Text(FuzzedDataProvider& input) {
  return input.ConsumeRandomLengthString(64);
}

Project ProjectFrom(FuzzedDataProvider& input) {
  Project project;
  for (uint32_t row = 0, count = input.ConsumeIntegralInRange<uint32_t>(0, 4); row < count; ++row) {
    dialforge_host::MixerChannel channel;
    channel.id = row * 1000u + input.ConsumeIntegralInRange<uint32_t>(0, 999);
    channel.name = Text(input);
    for (bool& state : channel.states) {
      state = input.ConsumeBool();
    }
    channel.volume = input.ConsumeFloatingPoint<float>();
    channel.flags = input.ConsumeIntegral<uint32_t>();
    channel.audioChannels = input.ConsumeIntegral<uint32_t>();
    channel.audioChannelValue = input.ConsumeFloatingPoint<float>();
    channel.panType = input.ConsumeIntegral<uint32_t>();
    for (uint32_t slot = 0; slot < 60; slot += input.ConsumeIntegralInRange<uint32_t>(1, 30)) {
      dialforge_host::Component component;
      component.index = slot;
      component.name = Text(input);
      component.bypass = input.ConsumeBool();
      for (int parameter = input.ConsumeIntegralInRange<int>(0, 3); parameter > 0; --parameter) {
        component.parameters.push_back(
            {Text(input), input.ConsumeFloatingPoint<float>(), Text(input)});
      }
      channel.components.push_back(component);
    }
    project.mixer.channels.push_back(channel);
  }
  for (int command = input.ConsumeIntegralInRange<int>(0, 4); command > 0; --command) {
    project.commands.push_back({Text(input), Text(input), Text(input), Text(input)});
  }
  for (int parameter = input.ConsumeIntegralInRange<int>(0, 3); parameter > 0; --parameter) {
    const float value = input.ConsumeFloatingPoint<float>();
    project.lumetri.parameters.push_back({Text(input), Text(input),
                                          -std::numeric_limits<float>::infinity(),
                                          std::numeric_limits<float>::infinity(), value, value});
  }
  for (int menu = input.ConsumeIntegralInRange<int>(0, 3); menu > 0; --menu) {
    project.lumetri.menus.push_back({Text(input), Text(input), {Text(input), Text(input)}, 0});
  }
  return project;
}

// A string suite whose answers come from the input: any result code, any reported length, any
// bytes (NULs included) in the copy.
struct ScriptedStrings {
  static inline FuzzedDataProvider* input = nullptr;

  static ADOBESDK_Error Dispose(ADOBESDK_String*) { return 0; }
  static ADOBESDK_Error FromUTF8(const char*, ADOBESDK_String*) { return 0; }
  static ADOBESDK_Error FromUTF16(const ADOBESDK_UTF16Char*, ADOBESDK_String*) { return 0; }
  static ADOBESDK_Error Copy(const ADOBESDK_String*, char* buffer, uint32_t* length) {
    const ADOBESDK_Error answer = input->ConsumeBool() ? input->ConsumeIntegral<int32_t>()
                                  : buffer == nullptr  ? kADOBESDK_StringBufferTooSmall
                                                       : kADOBESDK_NoError;
    if (buffer == nullptr) {
      *length = input->ConsumeIntegralInRange<uint32_t>(0, 1u << 16);
    } else {
      const std::string bytes = input->ConsumeBytesAsString(*length);
      std::memcpy(buffer, bytes.data(), bytes.size());
      *length = input->ConsumeIntegralInRange<uint32_t>(0, 1u << 17);
    }
    return answer;
  }
  static inline const ADOBESDK_StringSuite1 suite = {Dispose, FromUTF8, Copy, FromUTF16};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);

  const bool scriptedStrings = input.ConsumeBool();
  Project project = ProjectFrom(input);
  if (!dialforge_host::ProjectProblem(project).empty()) {
    return 0;
  }
  const size_t channelCount = project.mixer.channels.size();
  dialforge_host::SimulatedHost host(std::move(project));
  {
    const dialforge_test::PluginView suites(host);
    ScriptedStrings::input = &input;
    const ComposeHelper composer(scriptedStrings ? &ScriptedStrings::suite : suites.strings);

    const std::string mixer = composer.ComposeMixer(suites.mixer, suites.mixerRef);
    Check(mixer.rfind("$ | Mixer | Channels | " + std::to_string(channelCount) + "N | ", 0) == 0);
    const std::string commands = composer.ComposeCommands(suites.command, suites.commandRef);
    const std::string parameters =
        composer.ComposeLumetriParameters(suites.lumetri, suites.lumetriRef);
    const std::string menus = composer.ComposeLumetriMenu(suites.lumetri, suites.lumetriRef);
    // On a host whose strings are sound, byte for byte the plain reference.
    if (!scriptedStrings) {
      const dialforge_test::ReferenceSnapshots reference(suites);
      Check(mixer == reference.Mixer());
      Check(commands == reference.Commands());
      Check(parameters == reference.LumetriParameters());
      Check(menus == reference.LumetriMenu());
    }
  }
  Check(host.LivePluginStringCount() == 0);
  Check(host.ViolationCount() == 0);

  // Any 32 bits as a float, NaNs of every payload included, as "%f" writes it.
  const uint32_t bits = input.ConsumeIntegral<uint32_t>();
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  std::string written;
  VazezeveDudOzizezUziriv::AppendFloat(written, value);
  Check(written == dialforge_test::ReferenceSnapshots::Float(value));
  return 0;
}
