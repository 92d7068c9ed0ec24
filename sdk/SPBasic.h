// The host's basic suite: acquiring and releasing suites by name and version.
#ifndef DIALFORGE_SDK_SPBASIC_H
#define DIALFORGE_SDK_SPBASIC_H

#include "sdk/ADOBESDK_Types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SPBasicSuite {
  /* 0 */ ADOBESDK_Error (*AcquireSuite)(const char* name, int32_t version, const void** suite);
  /* 1 */ ADOBESDK_Error (*ReleaseSuite)(const char* name, int32_t version);
} SPBasicSuite;

#ifdef __cplusplus
}
#endif

#endif
