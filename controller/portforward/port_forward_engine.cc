#include "controller/portforward/port_forward_engine.h"

const char kPortForwardEngineMessageName[] =
    "UWM_PORT_FORWARD_ENGINE_THREAD_NOTIFICATION-{7C29C80A_5712_40e8_A124_"
    "A82E4B2795A7}";

CPortForwardEngine::CPortForwardEngine(platform::Env& env)
    : m_notificationMessage(
          env.Dialogs().RegisterMessageName(kPortForwardEngineMessageName)) {}

CPortForwardEngine::~CPortForwardEngine() {
  if (m_started != 0) {
    // Released second, third, fourth, then first, as they were taken.
    m_started = 0;
    for (int i : {1, 2, 3, 0}) {
      if (m_interfaces[i] != nullptr) m_interfaces[i]->Release();
      m_interfaces[i] = nullptr;
    }
    delete m_owned;
    m_owned = nullptr;
  }
}
