// The httpd.conf rewrite as it was first written, kept unchanged so that
// the benchmark can hold the fast one to it byte for byte: every "begins
// with" rule searched over the whole line, each line searched once per
// rule, text-mode conversions as separate passes.  Not for the product.
#ifndef BRAMO_BENCH_HTTPD_CONF_REFERENCE_H_
#define BRAMO_BENCH_HTTPD_CONF_REFERENCE_H_

#include <string>

namespace reference {

// The bytes the rewrite writes back for the file bytes `bytes`.
std::string RewriteHttpdConfBytes(const std::string& bytes,
                                  const std::string& folder, int httpPort,
                                  int httpsPort);

}  // namespace reference

#endif  // BRAMO_BENCH_HTTPD_CONF_REFERENCE_H_
