// Host strings and the string suite that makes, reads and disposes them.
#ifndef DIALFORGE_SDK_ADOBESDK_STRINGSUITE_H
#define DIALFORGE_SDK_ADOBESDK_STRINGSUITE_H

#include "sdk/ADOBESDK_Types.h"

#ifdef __cplusplus
extern "C" {
#endif

// A host string. Its contents belong to the host; a zero-initialised value is a valid empty
// string that needs no disposal.
typedef struct ADOBESDK_String {
  uintptr_t opaque[2];
} ADOBESDK_String;

#define kADOBESDK_StringSuite "ADOBESDK StringSuite"
#define kADOBESDK_StringSuiteVersion1 1

typedef struct ADOBESDK_StringSuite1 {
  /* 0 */ ADOBESDK_Error (*DisposeString)(ADOBESDK_String* string);
  /* 1 */ ADOBESDK_Error (*AllocateFromUTF8)(const char* text, ADOBESDK_String* out);
  // Without a buffer: answers kADOBESDK_StringBufferTooSmall and the length including the NUL.
  // With a buffer of *length bytes: copies the text and its NUL and answers 0.
  /* 2 */ ADOBESDK_Error (*CopyToUTF8)(const ADOBESDK_String* string, char* buffer,
                                       uint32_t* length);
  /* 3 */ ADOBESDK_Error (*AllocateFromUTF16)(const ADOBESDK_UTF16Char* text, ADOBESDK_String* out);
} ADOBESDK_StringSuite1;

#ifdef __cplusplus
}
#endif

#endif
