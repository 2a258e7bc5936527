// GBK (code page 936) and UTF-16, for the wide calls of the Win32 layer's
// menus and dialogs.
#ifndef BRAMO_PLATFORM_WIN32_GBK_WIDE_H_
#define BRAMO_PLATFORM_WIN32_GBK_WIDE_H_

#include <string>

namespace platform {

std::wstring GbkToWide(const std::string& gbk);
std::string WideToGbk(const std::wstring& wide);

}  // namespace platform

#endif  // BRAMO_PLATFORM_WIN32_GBK_WIDE_H_
