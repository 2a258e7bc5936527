// Two threads replacing the same file whole, many times over, through one
// Env: what the controller's two threads do with the ip file.
#ifndef BRAMO_TESTING_CONCURRENT_WRITES_H_
#define BRAMO_TESTING_CONCURRENT_WRITES_H_

#include <atomic>
#include <string>
#include <thread>

#include "platform/env.h"

namespace testing_support {

// The last text writer `writer` (0 or 1) writes: a few kilobytes, so that
// a torn file would show.
inline std::string WriterText(int writer, int round) {
  return std::string(4096, static_cast<char>('a' + writer)) +
         std::to_string(round);
}

// Each of two threads writes WriterText(writer, 0 .. rounds - 1) to
// `path`.  Returns how many of the writes reported failure.
inline int WriteFromTwoThreads(platform::Env& env, const std::string& path,
                               int rounds) {
  std::atomic<int> failed{0};
  auto writer = [&](int id) {
    for (int round = 0; round < rounds; ++round) {
      if (!env.WriteWholeFile(path, WriterText(id, round))) ++failed;
    }
  };
  std::thread first(writer, 0);
  std::thread second(writer, 1);
  first.join();
  second.join();
  return failed;
}

}  // namespace testing_support

#endif  // BRAMO_TESTING_CONCURRENT_WRITES_H_
