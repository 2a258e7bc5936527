// The installer's proof of origin on Windows: its Authenticode signature,
// checked by WinVerifyTrust against the machine's trusted roots, and the
// name of the certificate that signed it.  A valid signature alone proves
// only that someone with a certificate signed it; the name says who.
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>
#include <vector>

#include "platform/win32/win32_env.h"

// The build names the vendor's certificate (platform/win32/libraries.cmake);
// tools that read this file without the build's definitions get its
// default.
#ifndef BRAMO_VENDOR_SIGNER
#define BRAMO_VENDOR_SIGNER "Bramo"
#endif

namespace platform {
namespace {

constexpr char kVendorSigner[] = BRAMO_VENDOR_SIGNER;

std::wstring WidePath(const std::string& path) {
  int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (n <= 0) return L"";
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

// The signer's certificate as WinVerifyTrust's state holds it, when the
// chain it built for that signer is wholly sound.  WinVerifyTrust says so
// already on Windows; Wine's passes a signature whose chain ends in a root
// nobody trusts, or in none, so the chain's own verdict is asked too.
PCCERT_CONTEXT TrustedSigner(HANDLE state) {
  CRYPT_PROVIDER_DATA* data = WTHelperProvDataFromStateData(state);
  if (data == nullptr) return nullptr;
  CRYPT_PROVIDER_SGNR* signer =
      WTHelperGetProvSignerFromChain(data, 0, FALSE, 0);
  if (signer == nullptr || signer->pChainContext == nullptr ||
      signer->pChainContext->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
    return nullptr;
  CRYPT_PROVIDER_CERT* cert = WTHelperGetProvCertFromChain(signer, 0);
  return cert == nullptr ? nullptr : cert->pCert;
}

// The certificate's simple display name (its common name).
std::string DisplayName(PCCERT_CONTEXT cert) {
  DWORD n = CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                               nullptr, 0);
  if (n <= 1) return "";
  std::vector<char> name(n);
  CertGetNameStringA(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                     name.data(), n);
  return std::string(name.data());
}

}  // namespace

bool Win32Env::IsVendorInstaller(const std::string& path, const std::string&,
                                 const std::string&) {
  std::wstring wide = WidePath(path);
  if (wide.empty()) return false;
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = wide.c_str();
  WINTRUST_DATA trust = {};
  trust.cbStruct = sizeof trust;
  trust.dwUIChoice = WTD_UI_NONE;
  // Revocation needs the network that may be the attacker's; the chain
  // to a trusted root is the check that counts here.
  trust.fdwRevocationChecks = WTD_REVOKE_NONE;
  trust.dwUnionChoice = WTD_CHOICE_FILE;
  trust.pFile = &file;
  trust.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND no_window = static_cast<HWND>(INVALID_HANDLE_VALUE);
  LONG result = WinVerifyTrust(no_window, &action, &trust);
  PCCERT_CONTEXT signer =
      result == ERROR_SUCCESS ? TrustedSigner(trust.hWVTStateData) : nullptr;
  bool vendor = signer != nullptr && DisplayName(signer) == kVendorSigner;
  trust.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(no_window, &action, &trust);
  return vendor;
}

}  // namespace platform
