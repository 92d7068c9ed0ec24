// Types and codes shared by every host-interface declaration.
#ifndef DIALFORGE_SDK_ADOBESDK_TYPES_H
#define DIALFORGE_SDK_ADOBESDK_TYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// A host error code: 0 for success, otherwise a four-character code read big-endian.
typedef int32_t ADOBESDK_Error;

// A host-side boolean: 0 is false, any other value true.
typedef uint8_t ADOBESDK_Boolean;

// A UTF-16 code unit.
typedef uint16_t ADOBESDK_UTF16Char;

// Fills a table slot that the plug-in never calls, so later slots keep their numbers.
typedef void (*ADOBESDK_UnusedSlot)(void);

#define kADOBESDK_NoError ((ADOBESDK_Error)0)
#define kADOBESDK_NotImplemented ((ADOBESDK_Error)0x21494D50)       /* '!IMP' */
#define kADOBESDK_BadParameter ((ADOBESDK_Error)0x5061726D)         /* 'Parm' */
#define kADOBESDK_StringBufferTooSmall ((ADOBESDK_Error)0x73627473) /* 'sbts' */

#ifdef __cplusplus
}
#endif

#endif
