// A fuzz input cut into the texts of one call: fields end at zero bytes,
// so seeds stay readable (printf 'a\0b\0rest'), and what follows the last
// field the target asks for is taken whole.
#ifndef BRAMO_FUZZ_FUZZ_FIELDS_H_
#define BRAMO_FUZZ_FUZZ_FIELDS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzFields {
 public:
  FuzzFields(const uint8_t* data, size_t size)
      : at_(reinterpret_cast<const char*>(data)), left_(size) {}

  // The text up to the next zero byte (or the end), which is passed over.
  std::string Next() {
    const void* zero = std::memchr(at_, 0, left_);
    const size_t length =
        zero == nullptr ? left_ : static_cast<const char*>(zero) - at_;
    std::string text(at_, length);
    const size_t used = zero == nullptr ? length : length + 1;
    at_ += used;
    left_ -= used;
    return text;
  }

  bool AtEnd() const { return left_ == 0; }

  // Everything not taken yet, zero bytes included.
  std::string Rest() {
    std::string text(at_, left_);
    at_ += left_;
    left_ = 0;
    return text;
  }

  // The next field read as a decimal int, wrapping like the unsigned
  // arithmetic it is done in: any int, negative ones too ("-5", "99999999999").
  int NextInt() {
    const std::string text = Next();
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
      negative = text[i++] == '-';
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      value = value * 10 + static_cast<uint32_t>(text[i] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int>(value);
  }

 private:
  const char* at_;
  size_t left_;
};

#endif  // BRAMO_FUZZ_FUZZ_FIELDS_H_
