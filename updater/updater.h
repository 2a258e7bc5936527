// The updater: asks the update service for the published version, and
// when it is newer and the user agrees, downloads and runs the installer.
#ifndef BRAMO_UPDATER_UPDATER_H_
#define BRAMO_UPDATER_UPDATER_H_

#include <string>

#include "platform/env.h"

namespace updater {

// Gets the version page.  0 with both parts set; 1 when the page cannot be
// fetched or came with a status other than 2xx (an error page is no
// version page); 2 when the version text or the installer address is
// empty.
int FetchUpdateInfo(platform::Env* env, std::string* version,
                    std::string* address);

// Splits a page at its first '#'; without one both parts are the page.
void SplitPage(const std::string& page, std::string* version,
               std::string* address);

// The folder of the running program + "\\" + `name`; empty when the
// program's path has no backslash.
std::string BesideProgram(platform::Env* env, const std::string& name);

// The first line of `version` beside the program; empty on any failure.
std::string ReadLocalVersion(platform::Env* env);

// Case-insensitive byte-wise order (letters folded to lower case, unsigned
// bytes, a prefix is smaller): true when `published` comes after
// `installed`.
bool IsNewer(const std::string& published, const std::string& installed);

// First logical drive + "sablo_update", created with "md"; empty when
// there is no first drive.
std::string PrepareDownloadFolder(platform::Env* env);

// The local file name for `address`: after its last '/', the trailing CR LF
// dropped.  Empty when it is empty or could leave the folder.
std::string InstallerFileName(const std::string& address);

// 0 when the installer was stored in `folder` and proved to be the
// vendor's (Env::IsVendorInstaller, with the key `vendor_key.pem` beside
// the program); 1 otherwise: also when the folder is empty or not private
// (Env::IsPrivateFolder), or the installer is larger than 512 MiB.  A
// download that fails the proof is deleted.
int DownloadInstaller(platform::Env* env, const std::string& address,
                      const std::string& folder);

void StopSystemAndInstall(platform::Env* env, const std::string& folder);

// The whole run; returns the exit status.
int RunUpdate(platform::Env* env);

}  // namespace updater

#endif  // BRAMO_UPDATER_UPDATER_H_
