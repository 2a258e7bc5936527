// norvik.exe <registration-URL> <pin>
#include <memory>
#include <string>
#include <vector>

#include "platform/env.h"
#include "registrar/norvik.h"

int main(int argc, char** argv) {
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  std::vector<std::string> args(argv + 1, argv + argc);
  return registrar::RunNorvik(env.get(), args);
}
