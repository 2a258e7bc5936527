#include <windows.h>

#include "platform/ansi_text.h"

namespace platform {

std::optional<std::string> AnsiTextToUtf8(const std::string& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  // Through UTF-16; MB_ERR_INVALID_CHARS makes a cut or invalid pair fail
  // instead of becoming a default character.
  int wide_size = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS,
                                      text.data(), size, nullptr, 0);
  if (wide_size <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(wide_size), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size,
                      wide.data(), wide_size);
  int utf8_size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size,
                                      nullptr, 0, nullptr, nullptr);
  if (utf8_size <= 0) return std::nullopt;
  std::string utf8(static_cast<size_t>(utf8_size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_size, utf8.data(),
                      utf8_size, nullptr, nullptr);
  return utf8;
}

}  // namespace platform
