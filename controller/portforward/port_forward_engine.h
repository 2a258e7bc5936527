// The UPnP port-forward engine that the main window carries.  The system
// never calls it: all router work goes through upnpc.exe.  It is an inert
// shell, cheap to build and tear down, whose only trace outside the
// process is the window message it registers.
#ifndef BRAMO_CONTROLLER_PORTFORWARD_PORT_FORWARD_ENGINE_H_
#define BRAMO_CONTROLLER_PORTFORWARD_PORT_FORWARD_ENGINE_H_

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "platform/env.h"

// The name of the engine's registered window message.
extern const char kPortForwardEngineMessageName[];

class CPortForwardEngine {
 public:
  // Registers the engine's window message and stores its number; every
  // other member starts empty, null or 0.  Starts nothing.
  explicit CPortForwardEngine(platform::Env& env);
  // Nothing to stop while it was never started, which it never is.
  virtual ~CPortForwardEngine();
  CPortForwardEngine(const CPortForwardEngine&) = delete;
  CPortForwardEngine& operator=(const CPortForwardEngine&) = delete;

  uint32_t notification_message() const { return m_notificationMessage; }
  bool started() const { return m_started != 0; }

 private:
  // A mapping as the engine would list it.
  struct Record7 {
    std::string texts[7];
  };
  struct Record19 {
    std::string texts[19];
  };
  // Stand-ins for the COM interfaces and the owned worker it would hold;
  // never set.
  struct Interface {
    virtual ~Interface() = default;
    virtual void Release() = 0;
  };
  struct Owned {
    virtual ~Owned() = default;
  };

  Interface* m_interfaces[4] = {nullptr, nullptr, nullptr, nullptr};
  Owned* m_owned = nullptr;
  int32_t m_started = 0;
  int32_t m_values[5] = {0, 0, 0, 0, 0};
  std::vector<Record7> m_mappings;
  std::mutex m_lock;
  Record19 m_device;
  Record7 m_records[4];
  int32_t m_moreValues[5] = {0, 0, 0, 0, 0};
  uint32_t m_notificationMessage = 0;
};

#endif  // BRAMO_CONTROLLER_PORTFORWARD_PORT_FORWARD_ENGINE_H_
