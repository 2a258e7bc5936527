// setup.exe of the stand-in update service: an "installer" that installs
// nothing and tells what it saw.  When BRAMO_SETUP_RECORD names a file it
// appends there its process id, its parent's, its program path and its
// arguments; it then holds for BRAMO_SETUP_HOLD_MS milliseconds and
// records whether its own file is still in place at the end.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string OwnProgram() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
}

}  // namespace

int main(int argc, char** argv) {
  const char* record = std::getenv("BRAMO_SETUP_RECORD");
  if (record == nullptr || *record == '\0') return 0;
  FILE* out = std::fopen(record, "a");
  if (out == nullptr) return 1;
  const std::string program = OwnProgram();
  std::fprintf(out, "pid %d\nppid %d\nexe %s\n", static_cast<int>(getpid()),
               static_cast<int>(getppid()), program.c_str());
  for (int i = 0; i < argc; ++i) std::fprintf(out, "arg %s\n", argv[i]);
  std::fflush(out);

  if (const char* hold = std::getenv("BRAMO_SETUP_HOLD_MS")) {
    std::this_thread::sleep_for(
        std::chrono::milliseconds(std::strtol(hold, nullptr, 10)));
  }
  struct stat st;
  std::fprintf(out, "still-there %s\n",
               stat(program.c_str(), &st) == 0 ? "yes" : "no");
  std::fclose(out);
  return 0;
}
