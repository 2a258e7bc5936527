// setup.exe of the stand-in update service for Windows builds: installs
// nothing, and when BRAMO_SETUP_RECORD names a file appends there the
// program's own path, so a test sees that this very file was run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
  const char* record = std::getenv("BRAMO_SETUP_RECORD");
  if (record == nullptr || *record == '\0') return 0;
  char program[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, program, sizeof program);
  FILE* out = std::fopen(record, "a");
  if (out == nullptr) return 1;
  std::fprintf(out, "exe %s\n", program);
  std::fclose(out);
  return 0;
}
