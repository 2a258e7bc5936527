// A fake platform's trace made short enough for a table of a sequence's
// expected effects, file writes included.
#ifndef BRAMO_TESTING_FILE_EFFECTS_H_
#define BRAMO_TESTING_FILE_EFFECTS_H_

#include <string>
#include <vector>

namespace testing_support {

// `trace` with the install folder `folder` (as the system's code names
// it, ending in a backslash) left out of every line, and each profile
// write joined with the file write that carries it:
//   "write apache\conf\httpd.conf"
//   "sablo.ini [upnp] upnp.http.port=10080"
//   "php\php.ini [PHP] error_log"   (php.ini's values are the platform's
//                                    paths, so they are left out)
// A profile write whose file write failed keeps both lines.
std::vector<std::string> FileEffects(const std::vector<std::string>& trace,
                                     const std::string& folder);

// Only the file effects of FileEffects.
std::vector<std::string> FileWrites(const std::vector<std::string>& trace,
                                    const std::string& folder);

// What ApplyConfiguration writes, as FileEffects shows it: the router
// ports and both addresses in sablo.ini, https_port, httpd.conf,
// local_port and php.ini's four paths.
std::vector<std::string> ConfigurationEffects(int routerHttpPort,
                                              int routerHttpsPort,
                                              const std::string& externalIp,
                                              const std::string& localIp);

}  // namespace testing_support

#endif  // BRAMO_TESTING_FILE_EFFECTS_H_
