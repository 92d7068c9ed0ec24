/* The host interface must stay plain C: this file only has to compile. */
#include "sdk/ADOBESDK_StringSuite.h"
#include "sdk/ADOBESDK_Types.h"
#include "sdk/ControlSurfaceHost.h"
#include "sdk/ControlSurfaceHostCommand.h"
#include "sdk/ControlSurfaceHostLumetri.h"
#include "sdk/ControlSurfaceHostMixer.h"
#include "sdk/ControlSurfaceHostTransport.h"
#include "sdk/ControlSurfacePlugin.h"
#include "sdk/ControlSurfaceSuites.h"
#include "sdk/SPBasic.h"
#include "sdk/SPSuites.h"

int DialforgeSdkHeadersCompileAsC(void) {
  return (int)sizeof(ADOBESDK_String);
}
