#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/host/HostTestSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace dialforge_host;
using dialforge_test::MadeString;
using dialforge_test::PluginView;

constexpr ADOBESDK_Error kInjected = 0x496E6A64;  // 'Injd'

// Stands for an out-pointer of any type: marker bytes that live until the end of the call they
// are passed to, counted as written when the call changed them.
class Out {
 public:
  static inline int written = 0;

  Out() = default;
  Out(const Out&) = delete;
  Out& operator=(const Out&) = delete;
  ~Out() { written += std::count(storage, storage + size, kMarker) != size ? 1 : 0; }

  template <typename Value>
  operator Value*() {
    static_assert(sizeof(Value) <= sizeof(storage) && std::is_trivially_copyable_v<Value>);
    Value* value = new (storage) Value;
    std::memset(static_cast<void*>(value), kMarker, sizeof(Value));
    size = sizeof(Value);
    return value;
  }

 private:
  static constexpr unsigned char kMarker = 0x77;
  alignas(std::max_align_t) unsigned char storage[sizeof(ADOBESDK_String)];
  std::ptrdiff_t size = 0;
};

SPSuiteList* NewList(const PluginView& v) {
  SPSuiteList* list = nullptr;
  v.suites->AllocateSuiteList(nullptr, nullptr, &list);
  return list;
}

// One valid call of every operation; each answers 0 unless a failure is injected.
std::map<std::string, std::function<ADOBESDK_Error()>> EveryOperation(const PluginView& v,
                                                                      const MadeString& exposure,
                                                                      const MadeString& lut) {
  return {
      {"AcquireSuite", [&] { return v.basic->AcquireSuite(kADOBESDK_StringSuite, 1, Out()); }},
      {"ReleaseSuite",
       [&] {
         const void* suite = nullptr;
         v.basic->AcquireSuite(kADOBESDK_StringSuite, 1, &suite);
         return v.basic->ReleaseSuite(kADOBESDK_StringSuite, 1);
       }},
      {"AllocateSuiteList", [&] { return v.suites->AllocateSuiteList(nullptr, nullptr, Out()); }},
      {"FreeSuiteList", [&] { return v.suites->FreeSuiteList(NewList(v)); }},
      {"AddSuite",
       [&] { return v.suites->AddSuite(NewList(v), nullptr, "Table", 1, 1, &v, Out()); }},
      {"DisposeString",
       [&] {
         ADOBESDK_String string = v.Make("made");
         return v.strings->DisposeString(&string);
       }},
      {"AllocateFromUTF8",
       [&] {
         ADOBESDK_String string{};
         const ADOBESDK_Error error = v.strings->AllocateFromUTF8("made", &string);
         v.strings->DisposeString(&string);
         return error;
       }},
      {"CopyToUTF8",
       [&] {
         uint32_t length = 64;
         char buffer[64];
         return v.strings->CopyToUTF8(exposure.Get(), buffer, &length);
       }},
      {"AllocateFromUTF16",
       [&] {
         const ADOBESDK_UTF16Char text[] = {'m', 0};
         ADOBESDK_String string{};
         const ADOBESDK_Error error = v.strings->AllocateFromUTF16(text, &string);
         v.strings->DisposeString(&string);
         return error;
       }},
      {"ObtainCommandRef", [&] { return v.hostSuite->ObtainCommandRef(v.handle, Out()); }},
      {"ObtainMixerRef", [&] { return v.hostSuite->ObtainMixerRef(v.handle, Out()); }},
      {"ObtainTransportRef", [&] { return v.hostSuite->ObtainTransportRef(v.handle, Out()); }},
      {"ObtainLumetriRef", [&] { return v.hostSuite->ObtainLumetriRef(v.handle, Out()); }},
      {"BeginRewind", [&] { return v.transport->BeginRewind(v.transportRef); }},
      {"EndRewind", [&] { return v.transport->EndRewind(v.transportRef); }},
      {"BeginForward", [&] { return v.transport->BeginForward(v.transportRef); }},
      {"EndForward", [&] { return v.transport->EndForward(v.transportRef); }},
      {"Stop", [&] { return v.transport->Stop(v.transportRef); }},
      {"Play", [&] { return v.transport->Play(v.transportRef); }},
      {"Record", [&] { return v.transport->Record(v.transportRef); }},
      {"Pause", [&] { return v.transport->Pause(v.transportRef); }},
      {"ToggleCycle", [&] { return v.transport->ToggleCycle(v.transportRef); }},
      {"GotoPrevious", [&] { return v.transport->GotoPrevious(v.transportRef); }},
      {"GotoNext", [&] { return v.transport->GotoNext(v.transportRef); }},
      {"GotoStart", [&] { return v.transport->GotoStart(v.transportRef); }},
      {"ShuttleLeft", [&] { return v.transport->ShuttleLeft(v.transportRef); }},
      {"ShuttleStop", [&] { return v.transport->ShuttleStop(v.transportRef); }},
      {"ShuttleRight", [&] { return v.transport->ShuttleRight(v.transportRef); }},
      {"JogDial", [&] { return v.transport->JogDial(v.transportRef, 1, 3.0f, -2.0f); }},
      {"Navigate", [&] { return v.command->Navigate(v.commandRef, 1, 2, 3, 0); }},
      {"GetCommandCount", [&] { return v.command->GetCommandCount(v.commandRef, Out()); }},
      {"GetCommandAtIndex",
       [&] { return v.command->GetCommandAtIndex(v.commandRef, 0, Out(), Out(), Out(), Out()); }},
      {"ExecuteCommand",
       [&] {
         ADOBESDK_String fields[4] = {};
         v.command->GetCommandAtIndex(v.commandRef, 0, &fields[0], &fields[1], &fields[2],
                                      &fields[3]);
         return v.command->ExecuteCommand(v.commandRef, &fields[0], &fields[2]);
       }},
      {"GetChannelCount", [&] { return v.mixer->GetChannelCount(v.mixerRef, Out()); }},
      {"GetChannelID", [&] { return v.mixer->GetChannelID(v.mixerRef, 0, Out()); }},
      {"GetChannelState", [&] { return v.mixer->GetChannelState(v.mixerRef, 7, 0, Out()); }},
      {"GetChannelFlags", [&] { return v.mixer->GetChannelFlags(v.mixerRef, 7, Out()); }},
      {"GetChannelVolume", [&] { return v.mixer->GetChannelVolume(v.mixerRef, 7, Out()); }},
      {"GetAudioChannelCount", [&] { return v.mixer->GetAudioChannelCount(v.mixerRef, 7, Out()); }},
      {"GetAudioChannelValue",
       [&] { return v.mixer->GetAudioChannelValue(v.mixerRef, 7, 2, Out()); }},
      {"GetPanType", [&] { return v.mixer->GetPanType(v.mixerRef, 7, Out()); }},
      {"GetChannelName", [&] { return v.mixer->GetChannelName(v.mixerRef, 7, 1024, Out()); }},
      {"HasComponent", [&] { return v.mixer->HasComponent(v.mixerRef, 0, 3, Out()); }},
      {"GetComponentName",
       [&] { return v.mixer->GetComponentName(v.mixerRef, 0, 3, 1024, Out()); }},
      {"GetComponentBypass", [&] { return v.mixer->GetComponentBypass(v.mixerRef, 0, 3, Out()); }},
      {"GetComponentParameterCount",
       [&] { return v.mixer->GetComponentParameterCount(v.mixerRef, 0, 3, Out()); }},
      {"GetComponentParameterName",
       [&] { return v.mixer->GetComponentParameterName(v.mixerRef, 0, 3, 0, 1024, Out()); }},
      {"GetComponentParameterText",
       [&] { return v.mixer->GetComponentParameterText(v.mixerRef, 0, 3, 0, 1024, Out()); }},
      {"GetComponentParameterValue",
       [&] { return v.mixer->GetComponentParameterValue(v.mixerRef, 0, 3, 0, Out()); }},
      {"SetAutomationMode", [&] { return v.mixer->SetAutomationMode(v.mixerRef, 7, 2); }},
      {"GetParameterCount", [&] { return v.lumetri->GetParameterCount(v.lumetriRef, Out()); }},
      {"GetParameterAtIndex",
       [&] { return v.lumetri->GetParameterAtIndex(v.lumetriRef, 0, Out(), Out(), Out(), Out()); }},
      {"GetParameterValue",
       [&] { return v.lumetri->GetParameterValue(v.lumetriRef, exposure.Get(), Out()); }},
      {"SetParameterValue",
       [&] { return v.lumetri->SetParameterValue(v.lumetriRef, exposure.Get(), 1.5f, Out()); }},
      {"ResetParameter",
       [&] { return v.lumetri->ResetParameter(v.lumetriRef, exposure.Get(), Out()); }},
      {"GetMenuCount", [&] { return v.lumetri->GetMenuCount(v.lumetriRef, Out()); }},
      {"GetMenuAtIndex", [&] { return v.lumetri->GetMenuAtIndex(v.lumetriRef, 0, Out(), Out()); }},
      {"GetMenuValue", [&] { return v.lumetri->GetMenuValue(v.lumetriRef, lut.Get(), Out()); }},
      {"SetMenuValue", [&] { return v.lumetri->SetMenuValue(v.lumetriRef, lut.Get(), 1, Out()); }},
      {"ResetMenu", [&] { return v.lumetri->ResetMenu(v.lumetriRef, lut.Get(), Out()); }},
      {"SetPanelMode", [&] { return v.lumetri->SetPanelMode(v.lumetriRef, 4, Out()); }},
  };
}

// The model a failing call must leave as it was; the bookkeeping is checked one by one below.
std::string ModelSummary(const SimulatedHost& host) {
  const Project project = host.ProjectState();
  return std::to_string(project.lumetri.parameters[0].value) + " " +
         std::to_string(project.lumetri.menus[0].value) + " " +
         std::to_string(project.lumetri.panelMode) + " " +
         std::to_string(project.mixer.channels[0].automationMode);
}

TEST(FaultInjection, EveryOperationFailsWithTheInjectedCodeAndChangesNothing) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  const MadeString exposure(view, "exposure");
  const MadeString lut(view, "lut");
  const auto operations = EveryOperation(view, exposure, lut);
  ASSERT_EQ(operations.size(), Operations().size());

  for (const OperationInfo& info : Operations()) {
    SCOPED_TRACE(info.name);
    const auto call = operations.find(info.name);
    ASSERT_NE(call, operations.end());
    host.SetFailure(info.name, kInjected);
    const std::string before = ModelSummary(host);
    Out::written = 0;
    EXPECT_EQ(call->second(), kInjected);
    EXPECT_EQ(Out::written, 0) << "a failing call writes no out-value";
    EXPECT_EQ(ModelSummary(host), before);
    host.ClearFailure(info.name);
    EXPECT_EQ(call->second(), 0);
  }
  for (const auto& [name, count] : host.CallCounts()) {
    EXPECT_GE(count, 2u) << name;
  }
  EXPECT_THROW(host.SetFailure("Navigat", kInjected), std::invalid_argument);
  EXPECT_THROW(host.CallCount("Navigat"), std::invalid_argument);
}

// The calls whose out-values are not Out above, and the bookkeeping a failing call keeps.
TEST(FaultInjection, AFailingCallWritesNoOutValueAndKeepsItsBookkeeping) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  const MadeString exposure(view, "exposure");
  ADOBESDK_String toDispose = view.Make("to dispose");
  SPSuiteList* list = nullptr;
  view.suites->AllocateSuiteList(nullptr, nullptr, &list);
  for (const char* operation :
       {"ReleaseSuite", "DisposeString", "FreeSuiteList", "AllocateFromUTF8", "CopyToUTF8"}) {
    host.SetFailure(operation, kInjected);
  }
  EXPECT_EQ(view.basic->ReleaseSuite(kADOBESDK_StringSuite, 1), kInjected);
  EXPECT_EQ(host.HeldCount(kADOBESDK_StringSuite, 1), 1);
  EXPECT_EQ(view.strings->DisposeString(&toDispose), kInjected);
  EXPECT_EQ(host.LivePluginStringCount(), 2u);
  EXPECT_EQ(view.suites->FreeSuiteList(list), kInjected);
  EXPECT_EQ(host.LiveSuiteLists(), std::vector<const SPSuiteList*>{list});
  ADOBESDK_String made{};
  EXPECT_EQ(view.strings->AllocateFromUTF8("x", &made), kInjected);
  EXPECT_EQ(made.opaque[0], 0u);
  EXPECT_EQ(made.opaque[1], 0u);
  uint32_t length = 77;
  char buffer[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(view.strings->CopyToUTF8(exposure.Get(), buffer, &length), kInjected);
  EXPECT_EQ(length, 77u);
  EXPECT_EQ(buffer[0], 'x');

  host.ClearFailures();
  EXPECT_EQ(view.strings->DisposeString(&toDispose), 0);
  EXPECT_EQ(view.suites->FreeSuiteList(list), 0);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(FaultInjection, TheFixtureNamesMissingSuitesAndFailures) {
  const ProjectResult fixture =
      ParseProject(dialforge_host_test::kDocumentedFixture, "documented.json");
  ASSERT_TRUE(fixture.Ok()) << fixture.error;
  SimulatedHost host(fixture.project);
  const PluginView view(host);
  EXPECT_EQ(view.transport, nullptr);
  ASSERT_NE(view.mixer, nullptr);
  EXPECT_EQ(view.mixerRef, nullptr);
  EXPECT_NE(view.lumetriRef, nullptr);
  EXPECT_EQ(view.command->Navigate(view.commandRef, 1, 2, 3, 0), 0x4E657272);  // 'Nerr'
  EXPECT_EQ(CodeText(0x4E657272), "Nerr");
}

TEST(Journal, RecordsEveryStateChangingCallInTheDocumentedFormat) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  const MadeString exposure(view, "exposure");
  const MadeString lut(view, "lut");
  const MadeString context(view, "12");
  const MadeString undo(view, "1001");
  ADOBESDK_String out{};
  float value = 0;
  uint32_t mode = 0;

  view.transport->Play(view.transportRef);
  view.transport->JogDial(view.transportRef, 2, 3.0f, -2.0f);
  view.command->Navigate(view.commandRef, 1, 2, 3, 0);
  view.command->ExecuteCommand(view.commandRef, context.Get(), undo.Get());
  view.lumetri->GetParameterValue(view.lumetriRef, exposure.Get(), &value);
  view.lumetri->SetParameterValue(view.lumetriRef, exposure.Get(), 0.5f, &value);
  view.lumetri->ResetParameter(view.lumetriRef, exposure.Get(), &value);
  view.lumetri->SetMenuValue(view.lumetriRef, lut.Get(), 1, &out);
  view.lumetri->ResetMenu(view.lumetriRef, lut.Get(), &out);
  view.lumetri->SetPanelMode(view.lumetriRef, 3, &mode);
  // Refused calls are calls too.
  view.lumetri->SetPanelMode(view.lumetriRef, 9, &mode);
  view.mixer->SetAutomationMode(view.mixerRef, 9, 4);
  host.SetFailure("ShuttleLeft", kInjected);
  view.transport->ShuttleLeft(view.transportRef);

  EXPECT_EQ(host.JournalLines(), (std::vector<std::string>{
                                     "Transport\tPlay",
                                     "Transport\tJogDial\t1\t3.000000\t-2.000000",
                                     "Command\tNavigate\t1\t2\t3\t0",
                                     "Command\tExecuteCommand\t12\t1001",
                                     "Lumetri\tSetParameterValue\texposure\t0.500000",
                                     "Lumetri\tResetParameter\texposure",
                                     "Lumetri\tSetMenuValue\tlut\t1",
                                     "Lumetri\tResetMenu\tlut",
                                     "Lumetri\tSetPanelMode\t3",
                                     "Lumetri\tSetPanelMode\t9",
                                     "Mixer\tSetAutomationMode\t9\t4",
                                     "Transport\tShuttleLeft",
                                 }));
  EXPECT_EQ(host.CallCount("GetParameterValue"), 1u);
  EXPECT_EQ(host.CallCount("SetPanelMode"), 2u);
  EXPECT_EQ(host.CallCount("AllocateFromUTF8"), 4u);
  host.ClearJournalLines();
  EXPECT_TRUE(host.JournalLines().empty());
  EXPECT_EQ(host.CallCount("SetPanelMode"), 2u);
}

TEST(Journal, WritesEachLineToItsOutputAtTheCall) {
  dialforge_test::TempHome home;
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  EXPECT_FALSE(host.JournalToFile(home.PathOf("absent/journal.txt")));
  ASSERT_TRUE(host.JournalToFile(home.PathOf("journal.txt")));
  view.transport->Stop(view.transportRef);
  EXPECT_EQ(dialforge_test::ReadFile(home.PathOf("journal.txt")), "Transport\tStop\n");
  view.transport->GotoStart(view.transportRef);
  EXPECT_EQ(dialforge_test::ReadFile(home.PathOf("journal.txt")),
            "Transport\tStop\nTransport\tGotoStart\n");

  testing::internal::CaptureStdout();
  host.JournalToStandardOutput();
  view.transport->Record(view.transportRef);
  host.JournalInMemoryOnly();
  view.transport->Pause(view.transportRef);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Transport\tRecord\n");
  EXPECT_EQ(dialforge_test::ReadFile(home.PathOf("journal.txt")),
            "Transport\tStop\nTransport\tGotoStart\n");
  EXPECT_EQ(host.JournalLines().size(), 4u);
}

}  // namespace
