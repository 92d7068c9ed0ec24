// Allocations that fail while the host shuts the plug-in down or deletes an instance: whatever
// is thrown inside the module stays there, and the host's call comes back with a code. This
// program replaces operator new, which the module's own allocations reach on Linux; on Windows
// the module keeps its own, so the test is built here only.
#include <cstdlib>
#include <memory>
#include <new>

#include <gtest/gtest.h>

#include "tests/support/ExampleProject.h"
#include "tests/support/Loopback.h"
#include "tests/support/ModuleSupport.h"
#include "tests/support/TestSupport.h"

namespace {

// While set, every allocation of this thread fails; counts the ones refused.
thread_local bool tFailing = false;
thread_local int tRefused = 0;

void* Allocate(std::size_t size) {
  if (tFailing) {
    ++tRefused;
    return nullptr;
  }
  return std::malloc(size == 0 ? 1 : size);
}

// The call made with every allocation of this thread failing; how many were refused.
template <typename Call>
int WithAllocationsFailing(Call call) {
  tRefused = 0;
  tFailing = true;
  call();
  tFailing = false;
  return tRefused;
}

TEST(FailingAllocationTest, NothingThrownLeavesShutdownOrInstanceDeletion) {
  // Valgrind puts its own allocator in place of this one.
  if (WithAllocationsFailing([] { delete new (std::nothrow) char; }) == 0) {
    GTEST_SKIP() << "operator new is not this program's own";
  }
  dialforge_test::TempHome home;
  home.CreateCompanionFolders();
  dialforge_test::WriteFile(home.PathOf(dialforge_test::TempHome::kDataFolder + "/enablelogs"), "");
  auto loaded = std::make_unique<dialforge_test::LoadedModule>(dialforge_test::ExampleProject());
  loaded->module.Start();
  const ADOBESDK_ControlSurfacePluginFuncs& functions = loaded->module.Functions();
  ADOBESDK_ControlSurfacePlugin* plugin = nullptr;
  ASSERT_EQ(functions.CreatePluginInstance(&plugin), kADOBESDK_NoError);
  ADOBESDK_ControlSurface* surface = nullptr;
  ASSERT_EQ(loaded->module.PluginSuite().Connect(plugin, loaded->host.HostHandle(), &surface),
            kADOBESDK_NoError);
  const auto client =
      dialforge_test::ConnectWhenListening(dialforge_test::WaitForPort(home.Path()));
  ASSERT_TRUE(client);

  ADOBESDK_Error deleted = kADOBESDK_NoError;
  EXPECT_GT(WithAllocationsFailing([&] { deleted = functions.DeletePluginInstance(plugin); }), 0);
  EXPECT_TRUE(client->ClosedByListener()) << "the listener ended all the same";
  EXPECT_EQ(deleted, kADOBESDK_NoError);

  EXPECT_GT(WithAllocationsFailing([&] { functions.Shutdown(); }), 0);
}

}  // namespace

// Exported: the project builds with hidden visibility, and a hidden replacement would serve
// this program only. Never inlined beside the test, where the compiler would pair malloc with
// the deletes of a new it sees.
#define DIALFORGE_TEST_EXPORT __attribute__((visibility("default"), noinline))

DIALFORGE_TEST_EXPORT void* operator new(std::size_t size) {
  if (void* memory = Allocate(size)) {
    return memory;
  }
  throw std::bad_alloc();
}

DIALFORGE_TEST_EXPORT void* operator new[](std::size_t size) {
  return operator new(size);
}

DIALFORGE_TEST_EXPORT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}

DIALFORGE_TEST_EXPORT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}

DIALFORGE_TEST_EXPORT void operator delete(void* memory) noexcept {
  std::free(memory);
}

DIALFORGE_TEST_EXPORT void operator delete[](void* memory) noexcept {
  std::free(memory);
}

DIALFORGE_TEST_EXPORT void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

DIALFORGE_TEST_EXPORT void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
