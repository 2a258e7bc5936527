// Whatever the web application left in current_user, the controller and
// the registration client read the same registered user from it: the
// first white-space-delimited token of the text-mode read, as fscanf's
// "%s" puts it in the 128-byte name buffer, and no user when there is none
// or it would not fit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "controller/config/data_files.h"
#include "fuzz/memory_env.h"
#include "registrar/norvik.h"

namespace {

// The file's place as each program names it (the controller's folder ends
// in a backslash, the client's does not; both add one).
const char kControllerFolder[] = "C:\\Bramo\\";
const char kClientFolder[] = "C:\\Bramo";
const char kControllerPath[] =
    "C:\\Bramo\\\\website\\pc2\\database\\current_user";
const char kClientPath[] = "C:\\Bramo\\website\\pc2\\database\\current_user";

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// The first token of the file read in text mode (a Ctrl-Z ends it; CR LF
// becoming LF changes no token, both are white space).
std::string FirstToken(const std::string& bytes) {
  const std::string text = bytes.substr(0, bytes.find('\x1a'));
  size_t begin = 0;
  while (begin < text.size() && IsSpace(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsSpace(text[end])) ++end;
  return text.substr(begin, end - begin);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryEnv env;
  env.Reset();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  env.files[kControllerPath] = bytes;
  env.files[kClientPath] = bytes;

  std::string controller_name = "stale";
  const int controller =
      ReadCurrentUser(env, kControllerFolder, controller_name);
  std::string client_name;
  const int client =
      registrar::ReadCurrentUser(&env, kClientFolder, &client_name);

  // The name is the buffer's C string: it ends at a zero byte inside the
  // token.  A token too long for the buffer is no user at all.
  const std::string token = FirstToken(bytes);
  const std::string name = token.substr(0, token.find('\0'));
  const bool registered = !name.empty() && token.size() <= 127;
  if ((controller == 0) != registered || (client == 0) != registered) {
    std::abort();
  }
  if (registered) {
    if (controller_name != name || client_name != name) std::abort();
  } else {
    // The controller says "no user" with 1; the client with 2 (1 is its
    // "cannot be opened").
    if (controller != 1 || !controller_name.empty() || client != 2) {
      std::abort();
    }
  }

  // A file that cannot be read: no user, 1 for both.
  env.files.clear();
  controller_name = "stale";
  if (ReadCurrentUser(env, kControllerFolder, controller_name) != 1 ||
      !controller_name.empty() ||
      registrar::ReadCurrentUser(&env, kClientFolder, &client_name) != 1) {
    std::abort();
  }
  return 0;
}
