// update.exe: one update check; no arguments.
#include <memory>

#include "platform/env.h"
#include "updater/updater.h"

int main() {
  std::unique_ptr<platform::Env> env(platform::NewPlatformEnv());
  return updater::RunUpdate(env.get());
}
