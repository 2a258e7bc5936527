// Windows command-line conventions, for the layers that must re-create them.
#ifndef BRAMO_PLATFORM_COMMON_COMMAND_LINE_H_
#define BRAMO_PLATFORM_COMMON_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace platform {

// Splits a command line by the CommandLineToArgvW rules: argv[0] up to the
// first blank or tab, or between quotes with no escapes; the arguments
// separated by blanks and tabs, 2n backslashes before a quote giving n
// backslashes and toggling quoting, 2n+1 giving n and a literal quote, ""
// inside quotes a literal quote (staying in quoting), other backslashes
// literal, an unclosed quote running to the end.  An empty or blank line
// gives no words.
std::vector<std::string> SplitCommandLine(const std::string& line);

// Quotes one argument so that SplitCommandLine gives it back unchanged.
std::string QuoteArgument(const std::string& arg);

}  // namespace platform

#endif  // BRAMO_PLATFORM_COMMON_COMMAND_LINE_H_
