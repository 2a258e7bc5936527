// TCP sockets of the tests on loopback (Linux): servers of their own and
// ports that refuse.
#ifndef BRAMO_TESTING_LOOPBACK_SOCKET_H_
#define BRAMO_TESTING_LOOPBACK_SOCKET_H_

namespace testing_support {

// A socket listening on a free port of 127.0.0.1, that port in *port;
// -1 when none could be had.
int ListenOnLoopback(int* port);

// A port of 127.0.0.1 that nobody listens on: bound once, then let go.
int RefusingLoopbackPort();

}  // namespace testing_support

#endif  // BRAMO_TESTING_LOOPBACK_SOCKET_H_
