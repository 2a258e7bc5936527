#include "platform/win32/gbk_wide.h"

#include <windows.h>

namespace platform {

std::wstring GbkToWide(const std::string& gbk) {
  if (gbk.empty()) return L"";
  int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                              nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()),
                      out.data(), n);
  return out;
}

std::string WideToGbk(const std::wstring& wide) {
  if (wide.empty()) return "";
  int n =
      WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()),
                          nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(936, 0, wide.data(), static_cast<int>(wide.size()),
                      out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace platform
