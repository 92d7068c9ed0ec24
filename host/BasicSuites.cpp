// The basic suite, the suites suite and the string suite.
#include <cstring>

#include "host/HostState.h"
#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

namespace dialforge_host {

namespace {

std::string SuiteText(const char* name, int32_t version) {
  return "\"" + std::string(name) + "\" version " + std::to_string(version);
}

ADOBESDK_Error Basic_AcquireSuite(const char* name, int32_t version, const void** suite) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::AcquireSuite)) {
      return failure;
    }
    if (name == nullptr || suite == nullptr) {
      return kHostBadArgument;
    }
    const void* table = OfferedSuiteTable(name, version);
    if (table == nullptr || host.IsMissing(name)) {
      return kHostUnknownSuite;
    }
    ++host.held[{name, version}];
    *suite = table;
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Basic_ReleaseSuite(const char* name, int32_t version) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::ReleaseSuite)) {
      return failure;
    }
    if (name == nullptr) {
      return kHostBadArgument;
    }
    const auto held = host.held.find({name, version});
    if (held == host.held.end()) {
      host.AddViolation("ReleaseSuite: " + SuiteText(name, version) +
                        " was released more often than it was acquired");
      return kHostNotAcquired;
    }
    if (--held->second == 0) {
      host.held.erase(held);
    }
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Suites_AllocateSuiteList(void*, void*, SPSuiteList** suiteList) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::AllocateSuiteList)) {
      return failure;
    }
    if (suiteList == nullptr) {
      return kHostBadArgument;
    }
    *suiteList = host.AllocateSuiteList();
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Suites_FreeSuiteList(SPSuiteList* suiteList) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::FreeSuiteList)) {
      return failure;
    }
    if (suiteList == nullptr) {
      return kHostBadArgument;
    }
    HostState::SuiteList* list = host.FindSuiteList(suiteList);
    if (list == nullptr) {
      host.AddViolation("FreeSuiteList: the list was never allocated or is already freed");
      return kHostUnknownList;
    }
    list->freed = true;
    list->suites.clear();
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error Suites_AddSuite(SPSuiteList* suiteList, SPPlugin*, const char* name, int32_t version,
                               int32_t internalVersion, const void* table, SPSuite** suite) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::AddSuite)) {
      return failure;
    }
    if (suiteList == nullptr || name == nullptr || table == nullptr) {
      return kHostBadArgument;
    }
    HostState::SuiteList* list = host.FindSuiteList(suiteList);
    if (list == nullptr) {
      host.AddViolation("AddSuite: " + SuiteText(name, version) +
                        " added to a list that was never allocated or is already freed");
      return kHostUnknownList;
    }
    for (const std::unique_ptr<AddedSuite>& added : list->suites) {
      if (added->name == name && added->version == version) {
        return kHostDuplicateSuite;
      }
    }
    list->suites.push_back(
        std::make_unique<AddedSuite>(AddedSuite{name, version, internalVersion, table}));
    if (suite != nullptr) {
      *suite = reinterpret_cast<SPSuite*>(list->suites.back().get());
    }
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error String_DisposeString(ADOBESDK_String* string) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::DisposeString)) {
      return failure;
    }
    if (string == nullptr) {
      return kHostBadArgument;
    }
    if (const char* problem = host.strings.Dispose(*string)) {
      host.AddViolation(std::string("DisposeString: the string ") + problem);
      return kHostInvalidString;
    }
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error String_AllocateFromUTF8(const char* text, ADOBESDK_String* out) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::AllocateFromUTF8)) {
      return failure;
    }
    if (text == nullptr || out == nullptr) {
      return kHostBadArgument;
    }
    host.strings.Make(out, text);
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error String_CopyToUTF8(const ADOBESDK_String* string, char* buffer, uint32_t* length) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::CopyToUTF8)) {
      return failure;
    }
    if (length == nullptr) {
      return kHostBadArgument;
    }
    ADOBESDK_Error error = kADOBESDK_NoError;
    const std::string* text = host.Argument(Operation::CopyToUTF8, string, &error);
    if (text == nullptr) {
      return error;
    }
    const uint32_t needed = static_cast<uint32_t>(text->size() + 1);
    if (buffer == nullptr || *length < needed) {
      *length = needed;
      return kADOBESDK_StringBufferTooSmall;
    }
    std::memcpy(buffer, text->c_str(), needed);
    *length = needed;
    return kADOBESDK_NoError;
  });
}

ADOBESDK_Error String_AllocateFromUTF16(const ADOBESDK_UTF16Char* text, ADOBESDK_String* out) {
  return WithCurrentHost([&](HostState& host) -> ADOBESDK_Error {
    if (ADOBESDK_Error failure = host.Call(Operation::AllocateFromUTF16)) {
      return failure;
    }
    if (text == nullptr || out == nullptr) {
      return kHostBadArgument;
    }
    host.strings.Make(out, Utf16ToUtf8(text));
    return kADOBESDK_NoError;
  });
}

SPBasicSuite sBasicSuite = {Basic_AcquireSuite, Basic_ReleaseSuite};
const SPSuitesSuite kSuitesSuite = {Suites_AllocateSuiteList, Suites_FreeSuiteList,
                                    Suites_AddSuite};
const ADOBESDK_StringSuite1 kStringSuite = {String_DisposeString, String_AllocateFromUTF8,
                                            String_CopyToUTF8, String_AllocateFromUTF16};

}  // namespace

SPBasicSuite* BasicSuiteTable() {
  return &sBasicSuite;
}
const void* SuitesSuiteTable() {
  return &kSuitesSuite;
}
const void* StringSuiteTable() {
  return &kStringSuite;
}

const void* OfferedSuiteTable(const std::string& name, int32_t version) {
  struct Offered {
    const char* name;
    int32_t version;
    const void* table;
  };
  const Offered offered[] = {
      {kSPSuitesSuite, kSPSuitesSuiteVersion, SuitesSuiteTable()},
      {kADOBESDK_StringSuite, kADOBESDK_StringSuiteVersion1, StringSuiteTable()},
      {kADOBESDK_ControlSurfaceHostSuite, kADOBESDK_ControlSurfaceHostSuiteVersion1,
       ControlSurfaceHostSuiteTable()},
      {kADOBESDK_ControlSurfaceHostTransportSuite,
       kADOBESDK_ControlSurfaceHostTransportSuiteVersion1, TransportSuiteTable()},
      {kADOBESDK_ControlSurfaceHostCommandSuite, kADOBESDK_ControlSurfaceHostCommandSuiteVersion1,
       CommandSuiteTable()},
      {kADOBESDK_ControlSurfaceHostMixerSuite, kADOBESDK_ControlSurfaceHostMixerSuiteVersion1,
       MixerSuiteTable()},
      {kADOBESDK_ControlSurfaceHostLumetriSuite, kADOBESDK_ControlSurfaceHostLumetriSuiteVersion1,
       LumetriSuiteTable()},
  };
  for (const Offered& suite : offered) {
    if (name == suite.name && version == suite.version) {
      return suite.table;
    }
  }
  return nullptr;
}

}  // namespace dialforge_host
