#include "sdk/ControlSurfaceCommandBase.h"

#include "sdk/AdapterSupport.h"

namespace adobesdk {

using support::Forward;

ADOBESDK_Error ControlSurfaceCommandBase::GetUserButtonCount(unsigned int*) const {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceCommandBase::GetUserButtonIDAtIndex(unsigned int,
                                                                 ADOBESDK_String*) const {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceCommandBase::GetUserButtonDisplayName(const ADOBESDK_String*,
                                                                   ADOBESDK_String*) const {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceCommandBase::SetUserButtonCommandID(const ADOBESDK_String*,
                                                                 const ADOBESDK_String*,
                                                                 const ADOBESDK_String*) {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_Error ControlSurfaceCommandBase::GetUserButtonCommandID(const ADOBESDK_String*,
                                                                 ADOBESDK_String*,
                                                                 ADOBESDK_String*) const {
  return kADOBESDK_NotImplemented;
}

ADOBESDK_ControlSurfaceCommand* ControlSurfaceCommandBase::CommandHandle() {
  return support::ToHandle<ADOBESDK_ControlSurfaceCommand>(this);
}

using Command = ADOBESDK_ControlSurfaceCommand;
using Base = ControlSurfaceCommandBase;

extern "C" {

static ADOBESDK_Error ControlSurface_GetUserButtonCount(Command* command, uint32_t* count) {
  return Forward<Base>(command, &Base::GetUserButtonCount, count);
}

static ADOBESDK_Error ControlSurface_GetUserButtonIDAt(Command* command, uint32_t index,
                                                       ADOBESDK_String* buttonId) {
  return Forward<Base>(command, &Base::GetUserButtonIDAtIndex, index, buttonId);
}

static ADOBESDK_Error ControlSurface_GetUserButtonDisplayName(Command* command,
                                                              const ADOBESDK_String* buttonId,
                                                              ADOBESDK_String* displayName) {
  return Forward<Base>(command, &Base::GetUserButtonDisplayName, buttonId, displayName);
}

static ADOBESDK_Error ControlSurface_SetUserButtonCommandID(Command* command,
                                                            const ADOBESDK_String* buttonId,
                                                            const ADOBESDK_String* contextId,
                                                            const ADOBESDK_String* commandId) {
  return Forward<Base>(command, &Base::SetUserButtonCommandID, buttonId, contextId, commandId);
}

static ADOBESDK_Error ControlSurface_GetUserButtonCommandID(Command* command,
                                                            const ADOBESDK_String* buttonId,
                                                            ADOBESDK_String* contextId,
                                                            ADOBESDK_String* commandId) {
  return Forward<Base>(command, &Base::GetUserButtonCommandID, buttonId, contextId, commandId);
}

}  // extern "C"

static const ADOBESDK_ControlSurfaceCommandSuite1 sControlSurfaceCommandSuite = {
    ControlSurface_GetUserButtonCount,        // 0
    ControlSurface_GetUserButtonIDAt,         // 1
    ControlSurface_GetUserButtonDisplayName,  // 2
    ControlSurface_SetUserButtonCommandID,    // 3
    ControlSurface_GetUserButtonCommandID,    // 4
};

void ControlSurfaceCommandBase::RegisterSuite(const SPSuitesSuite* suitesSuite,
                                              SPSuiteList* suiteList) {
  support::AddTable(suitesSuite, suiteList, kADOBESDK_ControlSurfaceCommandSuite,
                    kADOBESDK_ControlSurfaceCommandSuiteVersion1, &sControlSurfaceCommandSuite);
}

}  // namespace adobesdk
