// Rewrites the controller's files in cycles until it is killed.
//   rewrite_writer <install folder as a Windows path, ending in '\'>
#include <memory>
#include <string>

#include "platform/env.h"
#include "testing/rewrite_cycle.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  for (int n = 0;; ++n) testing_support::RewriteCycle(*env, argv[1], n);
}
