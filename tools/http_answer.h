// Reading one HTTP/1.x answer to a GET to its end.  The request keeps
// the connection open (it asks for no "Connection: close", as curl does
// not), so the end is where the answer's framing puts it: after
// Content-Length bytes, after the last chunk, at once for 204 and 304,
// or at the end of the stream when the answer names no length.
#ifndef BRAMO_TOOLS_HTTP_ANSWER_H_
#define BRAMO_TOOLS_HTTP_ANSWER_H_

#include <functional>
#include <string>

namespace tools {

// Appends the next bytes of the stream to `bytes`.  False when none came:
// at the stream's end (`error` left empty) or on a failure or time-out
// (`error` says which).
using ReadMore = std::function<bool(std::string* bytes, std::string* error)>;

// Reads one whole answer through `read_more`, its body thrown away; any
// status counts, and interim 1xx answers are passed over.  False, with
// `error` set, when the stream ends before the answer does or is no
// HTTP/1.x answer.
bool ReadWholeAnswer(const ReadMore& read_more, std::string* error);

}  // namespace tools

#endif  // BRAMO_TOOLS_HTTP_ANSWER_H_
