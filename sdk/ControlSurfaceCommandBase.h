// The command part of a control surface: the user buttons the host can assign commands to.
#ifndef DIALFORGE_SDK_CONTROLSURFACECOMMANDBASE_H
#define DIALFORGE_SDK_CONTROLSURFACECOMMANDBASE_H

#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPSuites.h"

namespace adobesdk {

class ControlSurfaceCommandBase {
 public:
  ControlSurfaceCommandBase() = default;
  virtual ~ControlSurfaceCommandBase() = default;

  // Defaults: '!IMP'.
  virtual ADOBESDK_Error GetUserButtonCount(unsigned int* count) const;
  virtual ADOBESDK_Error GetUserButtonIDAtIndex(unsigned int index,
                                                ADOBESDK_String* buttonId) const;
  virtual ADOBESDK_Error GetUserButtonDisplayName(const ADOBESDK_String* buttonId,
                                                  ADOBESDK_String* displayName) const;
  virtual ADOBESDK_Error SetUserButtonCommandID(const ADOBESDK_String* buttonId,
                                                const ADOBESDK_String* contextId,
                                                const ADOBESDK_String* commandId);
  virtual ADOBESDK_Error GetUserButtonCommandID(const ADOBESDK_String* buttonId,
                                                ADOBESDK_String* contextId,
                                                ADOBESDK_String* commandId) const;

  static void RegisterSuite(const SPSuitesSuite* suitesSuite, SPSuiteList* suiteList);

  ADOBESDK_ControlSurfaceCommand* CommandHandle();
};

}  // namespace adobesdk

#endif
