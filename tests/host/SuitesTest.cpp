#include <cmath>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/SimulatedHost.h"
#include "tests/host/HostTestSupport.h"

namespace {

using namespace dialforge_host;
using dialforge_test::MadeString;
using dialforge_test::PluginView;
using testing::HasSubstr;

TEST(BasicSuite, CountsAcquisitionsAndRefusesWhatItDoesNotOffer) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  ASSERT_NE(view.suites, nullptr);
  ASSERT_NE(view.strings, nullptr);
  ASSERT_NE(view.hostSuite, nullptr);
  ASSERT_NE(view.transport, nullptr);
  ASSERT_NE(view.command, nullptr);
  ASSERT_NE(view.mixer, nullptr);
  ASSERT_NE(view.lumetri, nullptr);
  EXPECT_EQ(host.HeldSuites().size(), 7u);
  EXPECT_EQ(host.HeldCount("ADOBESDK StringSuite", 1), 1);

  const void* again = nullptr;
  ASSERT_EQ(view.basic->AcquireSuite("ADOBESDK StringSuite", 1, &again), 0);
  EXPECT_EQ(again, view.strings);
  EXPECT_EQ(host.HeldCount("ADOBESDK StringSuite", 1), 2);
  EXPECT_EQ(view.basic->ReleaseSuite("ADOBESDK StringSuite", 1), 0);
  EXPECT_EQ(view.basic->ReleaseSuite("ADOBESDK StringSuite", 1), 0);
  EXPECT_EQ(host.HeldCount("ADOBESDK StringSuite", 1), 0);
  EXPECT_EQ(host.ViolationCount(), 0u);
  EXPECT_EQ(view.basic->ReleaseSuite("ADOBESDK StringSuite", 1), kHostNotAcquired);
  ASSERT_EQ(host.ViolationCount(), 1u);
  EXPECT_THAT(host.Violations()[0], HasSubstr("released more often than it was acquired"));

  const void* refused = &again;
  EXPECT_EQ(view.basic->AcquireSuite("ADOBESDK StringSuite", 2, &refused), kHostUnknownSuite);
  EXPECT_EQ(view.basic->AcquireSuite("SP Suites Suite", 1, &refused), kHostUnknownSuite);
  EXPECT_EQ(view.basic->AcquireSuite("ADOBESDK ControlSurface Suite", 1, &refused),
            kHostUnknownSuite);
  host.SetSuiteMissing("ADOBESDK ControlSurfaceHost Mixer Suite", true);
  EXPECT_EQ(view.basic->AcquireSuite("ADOBESDK ControlSurfaceHost Mixer Suite", 1, &refused),
            kHostUnknownSuite);
  EXPECT_EQ(refused, &again);
  EXPECT_EQ(host.HeldCount("ADOBESDK ControlSurfaceHost Mixer Suite", 1), 1);
  host.SetSuiteMissing("ADOBESDK ControlSurfaceHost Mixer Suite", false);
  EXPECT_EQ(view.basic->AcquireSuite("ADOBESDK ControlSurfaceHost Mixer Suite", 1, &refused), 0);
  EXPECT_THROW(host.SetSuiteMissing("Mixer", true), std::invalid_argument);
}

TEST(BasicSuite, ServesOneHostAtATime) {
  const void* suite = nullptr;
  SPBasicSuite* basic = nullptr;
  {
    SimulatedHost host(Project{});
    basic = host.BasicSuite();
    EXPECT_THROW(SimulatedHost second(Project{}), std::logic_error);
  }
  EXPECT_EQ(basic->AcquireSuite("ADOBESDK StringSuite", 1, &suite), kHostNotRunning);
  Project faulty;
  faulty.lumetri.panelMode = 9;
  EXPECT_THROW(SimulatedHost{faulty}, std::invalid_argument);
  SimulatedHost later(Project{});
  EXPECT_EQ(basic->AcquireSuite("ADOBESDK StringSuite", 1, &suite), 0);
}

TEST(SuitesSuite, KeepsThePluginsTablesForTheHostToFind) {
  SimulatedHost host(Project{});
  const PluginView view(host);
  static const int kVersionOneTable = 1;
  static const int kVersionTwoTable = 2;
  SPSuiteList* list = nullptr;
  ASSERT_EQ(view.suites->AllocateSuiteList(nullptr, nullptr, &list), 0);
  ASSERT_NE(list, nullptr);
  SPSuite* added = nullptr;
  EXPECT_EQ(view.suites->AddSuite(list, nullptr, "ADOBESDK ControlSurface Suite", 1, 1,
                                  &kVersionOneTable, &added),
            0);
  EXPECT_NE(added, nullptr);
  EXPECT_EQ(view.suites->AddSuite(list, nullptr, "ADOBESDK ControlSurface Suite", 2, 7,
                                  &kVersionTwoTable, nullptr),
            0);
  EXPECT_EQ(view.suites->AddSuite(list, nullptr, "ADOBESDK ControlSurface Suite", 2, 2,
                                  &kVersionOneTable, nullptr),
            kHostDuplicateSuite);

  EXPECT_EQ(host.FindSuite(list, "ADOBESDK ControlSurface Suite", 1), &kVersionOneTable);
  EXPECT_EQ(host.FindSuite(list, "ADOBESDK ControlSurface Suite", 2), &kVersionTwoTable);
  EXPECT_EQ(host.FindSuite(list, "ADOBESDK ControlSurface Suite", 3), nullptr);
  const std::vector<AddedSuite> entries = host.SuiteListEntries(list);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].name, "ADOBESDK ControlSurface Suite");
  EXPECT_EQ(entries[1].version, 2);
  EXPECT_EQ(entries[1].internalVersion, 7);
  EXPECT_EQ(entries[1].table, &kVersionTwoTable);
  EXPECT_EQ(host.LiveSuiteLists(), std::vector<const SPSuiteList*>{list});

  // A list whose allocation failed is null; adding to it is refused but is no misuse.
  EXPECT_EQ(view.suites->AddSuite(nullptr, nullptr, "X", 1, 1, &kVersionOneTable, nullptr),
            kHostBadArgument);
  EXPECT_EQ(view.suites->FreeSuiteList(list), 0);
  EXPECT_EQ(host.LiveSuiteLists().size(), 0u);
  EXPECT_EQ(host.FindSuite(list, "ADOBESDK ControlSurface Suite", 1), nullptr);
  EXPECT_EQ(host.ViolationCount(), 0u);
  EXPECT_EQ(view.suites->FreeSuiteList(list), kHostUnknownList);
  EXPECT_EQ(view.suites->AddSuite(list, nullptr, "X", 1, 1, &kVersionOneTable, nullptr),
            kHostUnknownList);
  ASSERT_EQ(host.ViolationCount(), 2u);
  EXPECT_THAT(host.Violations()[0], HasSubstr("FreeSuiteList"));
  EXPECT_THAT(host.Violations()[1], HasSubstr("AddSuite"));
}

TEST(HostSuite, HandsOutOneReferencePerSuiteToEveryConnection) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView first(host);
  const PluginView second(host);
  ASSERT_NE(first.transportRef, nullptr);
  ASSERT_NE(first.commandRef, nullptr);
  ASSERT_NE(first.mixerRef, nullptr);
  ASSERT_NE(first.lumetriRef, nullptr);
  EXPECT_EQ(first.mixerRef, second.mixerRef);
  EXPECT_NE(static_cast<void*>(first.mixerRef), static_cast<void*>(first.lumetriRef));
  EXPECT_EQ(first.hostSuite->Unused1, nullptr);

  ADOBESDK_ControlSurfaceHostMixer* mixer = nullptr;
  auto* stranger = reinterpret_cast<ADOBESDK_ControlSurfaceHost*>(first.mixerRef);
  EXPECT_EQ(first.hostSuite->ObtainMixerRef(stranger, &mixer), kHostUnknownReference);
  EXPECT_EQ(mixer, nullptr);
  // A reference handed to the wrong suite is refused, not misread.
  uint32_t count = 0;
  EXPECT_EQ(first.lumetri->GetParameterCount(
                reinterpret_cast<ADOBESDK_ControlSurfaceHostLumetri*>(first.mixerRef), &count),
            kHostUnknownReference);
  EXPECT_EQ(first.transport->Play(nullptr), kHostUnknownReference);
}

// The values read are checked through the composers (compose tests, fault matrix); here the
// rules of finding them.
TEST(MixerSuite, FindsChannelsByRowThenIdAndComponentsByRowAndIndex) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  const ADOBESDK_ControlSurfaceHostMixerSuite1& mixer = *view.mixer;
  ADOBESDK_ControlSurfaceHostMixer* ref = view.mixerRef;
  for (auto slot : {mixer.Unused0, mixer.Unused1, mixer.Unused4, mixer.Unused5, mixer.Unused6,
                    mixer.Unused9, mixer.Unused22, mixer.Unused27, mixer.Unused33}) {
    EXPECT_EQ(slot, nullptr);
  }

  uint32_t id = 55;
  EXPECT_EQ(mixer.GetChannelID(ref, 2, &id), kHostUnknownItem);
  EXPECT_EQ(id, 55u);
  ADOBESDK_Boolean state = 9;
  EXPECT_EQ(mixer.GetChannelState(ref, 7, 6, &state), kHostUnknownItem);
  EXPECT_EQ(mixer.GetChannelState(ref, 1, 0, &state), kHostUnknownItem);
  EXPECT_EQ(state, 9);
  float level = 3;
  EXPECT_EQ(mixer.GetChannelVolume(ref, 0, &level), kHostUnknownItem);
  EXPECT_EQ(level, 3.0f);
  // The audio channel number does not matter: a channel has one value.
  for (uint32_t n : {0u, 1000u}) {
    ASSERT_EQ(mixer.GetAudioChannelValue(ref, 9, n, &level), 0);
    EXPECT_EQ(level, -0.25f);
  }

  ADOBESDK_Boolean present = 9;
  ASSERT_EQ(mixer.HasComponent(ref, 0, 2, &present), 0);
  EXPECT_EQ(present, 0);
  present = 9;
  EXPECT_EQ(mixer.HasComponent(ref, 2, 3, &present), kHostUnknownItem);
  EXPECT_EQ(present, 9);
  // Components are found by the channel's row, not its id.
  ADOBESDK_String name{};
  EXPECT_EQ(mixer.GetComponentName(ref, 7, 3, 1024, &name), kHostUnknownItem);
  EXPECT_EQ(mixer.GetComponentParameterValue(ref, 0, 3, 1, &level), kHostUnknownItem);
  EXPECT_EQ(name.opaque[0], 0u);
  EXPECT_EQ(level, -0.25f);

  EXPECT_EQ(mixer.SetAutomationMode(ref, 9, 4), 0);
  EXPECT_EQ(host.AutomationMode(9), 4u);
  EXPECT_EQ(mixer.SetAutomationMode(ref, 1, 4), kHostUnknownItem);
  EXPECT_EQ(mixer.GetChannelFlags(ref, 7, nullptr), kHostBadArgument);
}

TEST(LumetriSuite, ChangesParametersMenusAndThePanelModeByTheRules) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  const ADOBESDK_ControlSurfaceHostLumetriSuite1& lumetri = *view.lumetri;
  ADOBESDK_ControlSurfaceHostLumetri* ref = view.lumetriRef;
  const MadeString exposure(view, "exposure");
  const MadeString lut(view, "lut");
  const MadeString unknown(view, "gamma");

  ADOBESDK_String id{};
  ADOBESDK_String name{};
  float minimum = 0;
  float maximum = 0;
  ASSERT_EQ(lumetri.GetParameterAtIndex(ref, 0, &id, &name, &minimum, &maximum), 0);
  EXPECT_EQ(lumetri.GetParameterAtIndex(ref, 1, &id, &name, &minimum, &maximum), kHostUnknownItem);

  float result = 0;
  ASSERT_EQ(lumetri.SetParameterValue(ref, exposure.Get(), 0.5f, &result), 0);
  EXPECT_EQ(result, 0.5f);
  ASSERT_EQ(lumetri.SetParameterValue(ref, exposure.Get(), 9.0f, &result), 0);
  EXPECT_EQ(result, 4.0f);
  EXPECT_EQ(host.ParameterValue("exposure"), 4.0f);
  // The host's own copy of an id string names the parameter as well as the plug-in's.
  ASSERT_EQ(lumetri.GetParameterValue(ref, &id, &result), 0);
  EXPECT_EQ(result, 4.0f);
  EXPECT_EQ(lumetri.SetParameterValue(ref, exposure.Get(), std::nanf(""), &result),
            kHostBadArgument);
  ASSERT_EQ(lumetri.ResetParameter(ref, exposure.Get(), &result), 0);
  EXPECT_EQ(result, 0.0f);
  result = 7;
  EXPECT_EQ(lumetri.SetParameterValue(ref, unknown.Get(), 1.0f, &result), kHostUnknownItem);
  EXPECT_EQ(lumetri.ResetParameter(ref, unknown.Get(), &result), kHostUnknownItem);
  EXPECT_EQ(result, 7.0f);

  ADOBESDK_String choice{};
  ASSERT_EQ(lumetri.SetMenuValue(ref, lut.Get(), 1, &choice), 0);
  EXPECT_EQ(view.Text(choice), "Rec709");
  ASSERT_EQ(lumetri.SetMenuValue(ref, lut.Get(), 5, &choice), 0);
  EXPECT_EQ(view.Text(choice), "Log C");
  ASSERT_EQ(lumetri.SetMenuValue(ref, lut.Get(), 0xFFFFFFFF, &choice), 0);
  EXPECT_EQ(host.MenuChoiceIndex("lut"), 2u);
  ASSERT_EQ(lumetri.ResetMenu(ref, lut.Get(), &choice), 0);
  EXPECT_EQ(view.Text(choice), "None");
  EXPECT_EQ(host.MenuChoice("lut"), "None");
  EXPECT_EQ(lumetri.SetMenuValue(ref, unknown.Get(), 1, &choice), kHostUnknownItem);
  EXPECT_EQ(view.Text(choice), "None");

  uint32_t mode = 99;
  for (uint32_t wanted = 0; wanted <= 6; ++wanted) {
    ASSERT_EQ(lumetri.SetPanelMode(ref, wanted, &mode), 0);
    EXPECT_EQ(mode, wanted);
  }
  EXPECT_EQ(lumetri.SetPanelMode(ref, 7, &mode), kHostOutOfRange);
  EXPECT_EQ(mode, 6u);
  EXPECT_EQ(host.PanelMode(), 6u);
  EXPECT_EQ(host.ViolationCount(), 0u);
}

TEST(CommandSuite, ListsAndExecutesTheProjectsCommands) {
  SimulatedHost host(dialforge_host_test::ServableProject());
  const PluginView view(host);
  ADOBESDK_String fields[4] = {};
  ASSERT_EQ(view.command->GetCommandAtIndex(view.commandRef, 0, &fields[0], &fields[1], &fields[2],
                                            &fields[3]),
            0);
  EXPECT_EQ(view.command->GetCommandAtIndex(view.commandRef, 1, &fields[0], &fields[1], &fields[2],
                                            &fields[3]),
            kHostUnknownItem);

  const MadeString context(view, "12");
  const MadeString undo(view, "1001");
  EXPECT_EQ(view.command->ExecuteCommand(view.commandRef, context.Get(), undo.Get()), 0);
  EXPECT_EQ(view.command->ExecuteCommand(view.commandRef, &fields[0], &fields[2]), 0);
  EXPECT_EQ(view.command->ExecuteCommand(view.commandRef, undo.Get(), context.Get()),
            kHostUnknownItem);
  const ADOBESDK_String empty{};
  EXPECT_EQ(view.command->ExecuteCommand(view.commandRef, &empty, undo.Get()), kHostUnknownItem);
  EXPECT_EQ(view.command->Navigate(view.commandRef, 1, 2, 3, 0), 0);
}

}  // namespace
