// The registration client: one run sends this machine's address record to
// the registration service through curl and reports how it went.
#ifndef BRAMO_REGISTRAR_NORVIK_H_
#define BRAMO_REGISTRAR_NORVIK_H_

#include <string>
#include <vector>

#include "platform/env.h"

namespace registrar {

// Exit statuses of one run.
enum NorvikStatus {
  kRegistered = 0,
  kSettingIsZero = -1,  // "mac地址为空，请检查！"
  kNoCurrentUser = 1,   // current_user cannot be opened
  kIncomplete = 2,      // a value missing, a text too long, no request file
  kNotRegistered = 3,   // curl failed or the service said no
  kUsage = 4,           // fewer than two arguments, or a first one
                        // that is no http:// or https:// address
};

// The buffer sizes the record's texts must fit, terminator included.
inline constexpr size_t kPathSize = 260;
inline constexpr size_t kSettingSize = 32;
inline constexpr size_t kUserNameSize = 128;
inline constexpr size_t kCommandSize = 256;
inline constexpr size_t kBodySize = 1024;

struct Settings {
  std::string mac;
  std::string ipv4;
  std::string http_port;
  std::string https_port;
};

// The four values from `folder`\sablo.ini, in the order mac.address,
// ip.external, upnp.http.port, upnp.https.port; a missing key gives "",
// a longer value its first 31 bytes.
Settings ReadSettings(platform::Env* env, const std::string& folder);

// The first white-space-delimited token of current_user, up to a zero
// byte in it (the name is the C string of the read buffer).  Returns 0
// with *name set, 1 when the file cannot be read, 2 when it holds no token,
// one longer than 127 bytes, or one that begins with a zero byte.
int ReadCurrentUser(platform::Env* env, const std::string& folder,
                    std::string* name);

// Runs `command_line` with its standard output and standard error
// captured apart, and judges the answer by the third character from the
// end of its standard output.  Returns 0 for "0" from a program that ended
// with status 0; 2 no pipe, 3 not started (after "Error : CreateProcessA:
// %d"), 4 the wait failed, 5 any other character, an output too short to
// have one, or a non-zero exit status.
int RunCommandCaptured(platform::Env* env, const std::string& command_line);

// The whole run; `args` are the arguments after the program name.
int RunNorvik(platform::Env* env, const std::vector<std::string>& args);

}  // namespace registrar

#endif  // BRAMO_REGISTRAR_NORVIK_H_
