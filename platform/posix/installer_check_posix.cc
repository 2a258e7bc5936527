// The installer's proof of origin on Linux: a detached Ed25519 signature
// beside the installer on the update service, checked with OpenSSL's
// libcrypto against the vendor's public key of the installation.  There is
// no Authenticode here, and the key, not a certificate chain, is what
// names the vendor.
#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "platform/common/native_path.h"
#include "platform/posix/posix_env.h"

namespace platform {
namespace {

constexpr size_t kSignatureBytes = 64;  // Ed25519
// A PEM public key is a few hundred bytes; anything far larger is not one.
constexpr size_t kKeyLimit = 16u << 10;

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;

Key ReadVendorKey(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (bio == nullptr) return nullptr;
  Key key(PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr));
  BIO_free(bio);
  // Another kind of key (RSA, say) would accept signatures of another
  // scheme: only the vendor's Ed25519 key is taken.
  if (key && EVP_PKEY_id(key.get()) != EVP_PKEY_ED25519) return nullptr;
  return key;
}

// Ed25519 signs the whole message at once: the file is mapped rather than
// read, so a large installer costs address space, not memory.
bool VerifyFile(const std::string& native, EVP_PKEY* key,
                const std::string& signature) {
  int fd = open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  const auto size = static_cast<size_t>(st.st_size);
  void* bytes = nullptr;
  if (size > 0) {
    bytes = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (bytes == MAP_FAILED) {
      close(fd);
      return false;
    }
  }
  close(fd);
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  bool ok =
      ctx != nullptr &&
      EVP_DigestVerifyInit(ctx, nullptr, nullptr, nullptr, key) == 1 &&
      EVP_DigestVerify(
          ctx, reinterpret_cast<const unsigned char*>(signature.data()),
          signature.size(),
          static_cast<const unsigned char*>(size > 0 ? bytes : ""), size) == 1;
  EVP_MD_CTX_free(ctx);
  if (size > 0) munmap(bytes, size);
  return ok;
}

}  // namespace

bool PosixEnv::IsVendorInstaller(const std::string& path,
                                 const std::string& address,
                                 const std::string& key_path) {
  // No key, no trust: an installation without one refuses every
  // installer rather than running whatever came.
  if (key_path.empty()) return false;
  auto pem = ReadWholeFile(key_path, kKeyLimit);
  if (!pem) return false;
  Key key = ReadVendorKey(*pem);
  if (!key) return false;
  std::string signature;
  int status = 0;
  HttpOptions options;
  options.status = &status;
  // One byte more than a signature, so that a longer answer is seen.
  if (HttpGet(address + ".sig", "", kSignatureBytes + 1, &signature, options) !=
          HttpResult::kOk ||
      status / 100 != 2 || signature.size() != kSignatureBytes) {
    return false;
  }
  return VerifyFile(ToNativePath(path), key.get(), signature);
}

}  // namespace platform
