// The suites suite: building the suite list through which the host finds the plug-in's tables.
#ifndef DIALFORGE_SDK_SPSUITES_H
#define DIALFORGE_SDK_SPSUITES_H

#include "sdk/ADOBESDK_Types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SPSuiteList SPSuiteList;
typedef struct SPSuite SPSuite;
typedef struct SPPlugin SPPlugin;

#define kSPSuitesSuite "SP Suites Suite"
#define kSPSuitesSuiteVersion 2

typedef struct SPSuitesSuite {
  /* 0 */ ADOBESDK_Error (*AllocateSuiteList)(void* stringPool, void* pluginList,
                                              SPSuiteList** suiteList);
  /* 1 */ ADOBESDK_Error (*FreeSuiteList)(SPSuiteList* suiteList);
  /* 2 */ ADOBESDK_Error (*AddSuite)(SPSuiteList* suiteList, SPPlugin* owner, const char* name,
                                     int32_t version, int32_t internalVersion, const void* table,
                                     SPSuite** suite);
} SPSuitesSuite;

#ifdef __cplusplus
}
#endif

#endif
