// UTF-8, the product's text, to and from UTF-16, the text of Windows' wide-character calls.
#ifndef DIALFORGE_PLATFORM_WINDOWS_UTF16_H
#define DIALFORGE_PLATFORM_WINDOWS_UTF16_H

#include <string>

namespace dialforge_platform {

// Invalid sequences become U+FFFD, so that a path is never silently cut short.
std::wstring ToUtf16(const std::string& text);
std::string ToUtf8(const std::wstring& text);

}  // namespace dialforge_platform

#endif
