// The rewrites the controller makes of its files, as one repeatable cycle,
// for the crash-safety check: a writer process runs cycles until it is
// killed, and the check knows every state a file may be left in.
#ifndef BRAMO_TESTING_REWRITE_CYCLE_H_
#define BRAMO_TESTING_REWRITE_CYCLE_H_

#include <string>
#include <vector>

#include "platform/env.h"

namespace testing_support {

// The files a cycle rewrites, relative to the install folder (Linux
// separators): sablo.ini, httpd.conf, php.ini and the data files.
const std::vector<std::string>& RewrittenFiles();

// Writes every file of RewrittenFiles as it is before the first cycle.
void WriteInitialFiles(const std::string& native_folder);

// Cycle `n`: the settings keys, httpd.conf, php.ini and the data files
// rewritten through the controller's own writers, with values that differ
// between even and odd cycles.  `folder` ends in a backslash.
void RewriteCycle(platform::Env& env, const std::string& folder, int n);

}  // namespace testing_support

#endif  // BRAMO_TESTING_REWRITE_CYCLE_H_
