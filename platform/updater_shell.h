// What the updater asks of the shell: wide message boxes, opening an
// address, the first drive, the environment, private folders, the
// installer's proof of origin.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_UPDATER_SHELL_H_
#define BRAMO_PLATFORM_UPDATER_SHELL_H_

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class UpdaterShell {
 public:
  virtual ~UpdaterShell() = default;

  // ---- Updater's shell -----------------------------------------------

  // MessageBoxW: the GBK texts shown as wide text.  Answers as
  // ShowMessageBox does.
  virtual int ShowMessageBoxW(const std::string& text,
                              const std::string& caption, uint32_t type) = 0;

  // ShellExecuteW with the default verb: opens `address` in the browser.
  // False when nothing could be opened.
  virtual bool ShellOpenW(const std::string& address) = 0;

  // The root of the first logical drive (GetLogicalDriveStringsW), ending
  // in a separator; empty when the list is empty.  On Linux, where /tmp is
  // shared by every user, it is $TMPDIR only when that folder is private
  // (see IsPrivateFolder); otherwise a private folder of the user's own
  // (mode 0700), made when missing; empty when there is none to be had.
  virtual std::string FirstLogicalDrive() = 0;

  // Whether `path` is a folder no other user can change or swap: not a
  // link, and on Linux owned by this user, writable by no one else, and
  // inside folders that no other user can change either (a sticky folder
  // such as /tmp counts as such).  On Windows a folder that is not a link
  // (reparse point); its permissions are the system's.
  virtual bool IsPrivateFolder(const std::string& path) = 0;

  // Whether the installer stored at `path`, downloaded from `address`, is
  // the vendor's, before anything runs it as an administrator.  Windows:
  // its Authenticode signature is valid and trusted (WinVerifyTrust) and
  // its signer's name is the vendor's, a constant of the build
  // (BRAMO_VENDOR_SIGNER); `address` and `key_path` are not used.  Linux:
  // `address` + ".sig", fetched with a 2xx status, is an Ed25519
  // signature (64 bytes) of the file's bytes under the public key of the
  // PEM file `key_path`; a missing or unreadable key, or one that is not
  // Ed25519, refuses every installer.  False on any doubt.
  virtual bool IsVendorInstaller(const std::string& path,
                                 const std::string& address,
                                 const std::string& key_path) = 0;

  // An environment variable; nullopt when it is not set.
  virtual std::optional<std::string> EnvironmentVariable(
      const std::string& name) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_UPDATER_SHELL_H_
