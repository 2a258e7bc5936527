#ifndef BRAMO_CONTROLLER_MONITOR_ASCII_CASE_H_
#define BRAMO_CONTROLLER_MONITOR_ASCII_CASE_H_

#include <string>

// Whole-text equality of two GBK texts with the letters A to Z folded to
// a to z.  Every other byte must match exactly, also the second byte of a
// double-byte character when it happens to have a letter's value (0x41 to
// 0x5A or 0x61 to 0x7A): a Chinese name never matches another by case.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

#endif  // BRAMO_CONTROLLER_MONITOR_ASCII_CASE_H_
