// A program for the tests of starting programs: writes its arguments after
// the first, one a line, to the file named by the first, so a test sees
// that it ran and how its command line was split.  The file appears whole
// (written under another name, then renamed).
//
//   marker_tool <file> [argument...]
//   marker_tool -streams     writes "answer" to standard output, "meter"
//                            to standard error, and ends with status 3
//   marker_tool -hang        writes "started" to standard output and never
//                            ends by itself
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
void PauseSecond() { Sleep(1000); }
#else
#include <unistd.h>
void PauseSecond() { sleep(1); }
#endif

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: marker_tool <file> [argument...]\n", stderr);
    return 2;
  }
  std::string file = argv[1];
  if (file == "-streams") {
    std::fputs("answer", stdout);
    std::fputs("meter", stderr);
    return 3;
  }
  if (file == "-hang") {
    std::fputs("started", stdout);
    std::fflush(stdout);
    for (;;) PauseSecond();
  }
  std::string temp = file + ".part";
  std::FILE* out = std::fopen(temp.c_str(), "wb");
  if (out == nullptr) return 1;
  for (int i = 2; i < argc; ++i) {
    std::fputs(argv[i], out);
    std::fputc('\n', out);
  }
  if (std::fclose(out) != 0) return 1;
  std::remove(file.c_str());  // rename does not replace on Windows
  return std::rename(temp.c_str(), file.c_str()) == 0 ? 0 : 1;
}
