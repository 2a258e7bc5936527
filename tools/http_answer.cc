#include "tools/http_answer.h"

#include <cctype>
#include <cstdint>
#include <optional>

namespace tools {
namespace {

// Larger header blocks than this are no answer worth waiting for.
constexpr size_t kHeaderLimit = size_t{100} << 10;

// The bytes received and not yet taken, with the source of more.
class Stream {
 public:
  Stream(const ReadMore& read_more, std::string* error)
      : read_more_(read_more), error_(error) {}

  // One line without its line end (CR LF or LF alone).
  std::optional<std::string> Line() {
    size_t end;
    while ((end = bytes_.find('\n')) == std::string::npos) {
      if (bytes_.size() > kHeaderLimit || !More()) return std::nullopt;
    }
    std::string line = bytes_.substr(0, end);
    bytes_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  bool Skip(uint64_t count) {
    while (bytes_.size() < count) {
      count -= bytes_.size();
      bytes_.clear();
      if (!More()) return false;
    }
    bytes_.erase(0, static_cast<size_t>(count));
    return true;
  }

  bool SkipToEnd() {
    bytes_.clear();
    while (More()) bytes_.clear();
    return error_->empty();
  }

 private:
  bool More() { return read_more_(&bytes_, error_); }

  const ReadMore& read_more_;
  std::string* error_;
  std::string bytes_;
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(c));
  return text;
}

std::string Trim(const std::string& text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<uint64_t> Number(const std::string& text, int base) {
  if (text.empty() || text.size() > 15) return std::nullopt;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c)) ||
        (base == 10 && !std::isdigit(static_cast<unsigned char>(c)))) {
      return std::nullopt;
    }
  }
  return std::stoull(text, nullptr, base);
}

struct Head {
  int status = 0;
  bool chunked = false;
  std::optional<uint64_t> length;
};

bool ReadHead(Stream* in, Head* head, std::string* error) {
  std::optional<std::string> status_line = in->Line();
  if (!status_line) return false;
  // "HTTP/1.1 200 OK": the code is the three digits after the version.
  if (status_line->rfind("HTTP/1.", 0) != 0 || status_line->size() < 12 ||
      !Number(status_line->substr(9, 3), 10)) {
    *error = "Unsupported HTTP version in response";
    return false;
  }
  const int status = std::stoi(status_line->substr(9, 3));
  while (std::optional<std::string> line = in->Line()) {
    if (line->empty()) {
      head->status = status;  // only once the head is whole
      return true;
    }
    size_t colon = line->find(':');
    if (colon == std::string::npos) continue;
    std::string name = Lower(line->substr(0, colon));
    std::string value = Trim(line->substr(colon + 1));
    if (name == "transfer-encoding") {
      head->chunked = Lower(value).find("chunked") != std::string::npos;
    } else if (name == "content-length") {
      head->length = Number(value, 10);
      if (!head->length) {
        *error = "Invalid Content-Length value";
        return false;
      }
    }
  }
  return false;
}

bool SkipChunks(Stream* in) {
  for (;;) {
    std::optional<std::string> size_line = in->Line();
    if (!size_line) return false;
    std::optional<uint64_t> size =
        Number(Trim(size_line->substr(0, size_line->find(';'))), 16);
    if (!size) return false;
    if (*size == 0) break;
    if (!in->Skip(*size) || !in->Line()) return false;  // data, then CR LF
  }
  // Trailer lines up to the empty one.
  while (std::optional<std::string> line = in->Line()) {
    if (line->empty()) return true;
  }
  return false;
}

}  // namespace

bool ReadWholeAnswer(const ReadMore& read_more, std::string* error) {
  error->clear();
  Stream in(read_more, error);
  Head head;
  while (ReadHead(&in, &head, error) && head.status / 100 == 1) {
    head = Head{head.status, false, std::nullopt};  // an interim one: no body
  }
  if (head.status == 0 || head.status / 100 == 1) {
    if (error->empty()) *error = "Empty or cut reply from server";
    return false;
  }
  bool whole;
  if (head.status == 204 || head.status == 304) {
    whole = true;
  } else if (head.chunked) {
    whole = SkipChunks(&in);
  } else if (head.length) {
    whole = in.Skip(*head.length);
  } else {
    whole = in.SkipToEnd();
  }
  if (!whole && error->empty()) *error = "Transferred a partial file";
  return whole;
}

}  // namespace tools
