// Whatever curl prints, the registration counts as accepted exactly when
// curl ran, ended with status 0, and the third character from the end of
// its standard output is "0"; no other byte and nothing on its standard
// error changes that.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_fields.h"
#include "fuzz/memory_env.h"
#include "registrar/norvik.h"

namespace {

// What the platform's captured run answered: mostly "it ran", sometimes
// one of its failures (2 no pipe, 3 not started, 4 the wait failed).
int RunStatus(unsigned char choice) {
  static const int kStatuses[] = {0, 0, 0, 0, 0, 2, 3, 4};
  return kStatuses[choice % 8];
}

int Verdict(MemoryEnv& env) {
  env.printed.clear();
  return registrar::RunCommandCaptured(&env, "curl -d @\"C:\\Bramo\\x\" u");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryEnv env;
  if (size < 3) return 0;
  env.Reset();
  env.run.status = RunStatus(data[0]);
  env.run.exit_code = data[1] % 4 == 0 ? 0 : data[1];
  env.run.error = data[1];
  const size_t other = data[2];  // a byte to change, from the end
  FuzzFields in(data + 3, size - 3);
  env.run.errors = in.Next();
  env.run.output = in.Rest();
  const std::string& out = env.run.output;

  const int result = Verdict(env);
  const bool judged = env.run.status == 0 && out.size() >= 3;
  const bool accepted =
      judged && out[out.size() - 3] == '0' && env.run.exit_code == 0;
  if (env.run.status != 0 && result != env.run.status) std::abort();
  if (env.run.status == 0 && result != (accepted ? 0 : 5)) std::abort();
  const std::string said =
      judged ? std::string("cResult = ") + out[out.size() - 3] + "\n" : "";
  if (env.run.status == 3 &&
      env.printed.rfind("Error : CreateProcessA: ", 0) != 0) {
    std::abort();
  }
  if (env.run.status != 3 && env.printed != said) std::abort();

  // Only the one character counts: standard error, and any other byte of
  // the output, may say what they like.
  env.run.errors = "curl: (7) Failed to connect\r\n0\r\n";
  if (out.size() >= 3 && other % out.size() != out.size() - 3) {
    env.run.output[other % out.size()] ^= 0x5A;
  }
  if (Verdict(env) != result) std::abort();
  return 0;
}
