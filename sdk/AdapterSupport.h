// What every control-surface adapter shares: reaching the virtual operation behind a handle,
// and adding a table to the plug-in's suite list.
#ifndef DIALFORGE_SDK_ADAPTERSUPPORT_H
#define DIALFORGE_SDK_ADAPTERSUPPORT_H

#include "sdk/ADOBESDK_Types.h"
#include "sdk/SPSuites.h"

namespace adobesdk {
namespace support {

// The handle holds exactly the address of the adapter part, so a cast brings it back. Nothing
// may propagate into the host: an exception becomes a failure code.
template <typename Adapter, typename Handle, typename Operation, typename... Arguments>
ADOBESDK_Error Forward(Handle* handle, Operation operation, Arguments... arguments) noexcept {
  if (handle == nullptr) {
    return kADOBESDK_BadParameter;
  }
  try {
    return (reinterpret_cast<Adapter*>(handle)->*operation)(arguments...);
  } catch (...) {
    return kADOBESDK_NotImplemented;
  }
}

template <typename Handle, typename Adapter>
Handle* ToHandle(Adapter* adapter) {
  return reinterpret_cast<Handle*>(adapter);
}

// The version is both the interface and the internal version; the result is not used, as a
// missing suite only means the host cannot reach that part.
inline void AddTable(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList, const char* name,
                     int32_t version, const void* table) {
  if (suitesSuite == nullptr || suitesSuite->AddSuite == nullptr) {
    return;
  }
  SPSuite* added = nullptr;
  suitesSuite->AddSuite(suiteList, nullptr, name, version, version, table, &added);
}

}  // namespace support
}  // namespace adobesdk

#endif
