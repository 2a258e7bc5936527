#include <memory>

#include "controller/shell/brix7_app.h"
#include "platform/env.h"

int main() {
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  Cbrix7App app(env.get());
  return app.Run();
}
