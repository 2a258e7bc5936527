// The installer check for the programs that run no installer (all but
// update): linked in place of installer_check_posix.cc, so that they do
// not load libcrypto.  Nothing proves to be the vendor's through it.
#include "platform/posix/posix_env.h"

namespace platform {

bool PosixEnv::IsVendorInstaller(const std::string&, const std::string&,
                                 const std::string&) {
  return false;
}

}  // namespace platform
