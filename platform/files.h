// Profile strings and whole files.
// One concern of the platform seam; Env (platform/env.h) joins them all.
#ifndef BRAMO_PLATFORM_FILES_H_
#define BRAMO_PLATFORM_FILES_H_

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

class Files {
 public:
  virtual ~Files() = default;

  // ---- Profile strings -----------------------------------------------

  // The largest settings file the Linux layer reads: far above any real
  // one, small enough that a hostile one cannot exhaust memory.
  static constexpr size_t kProfileFileLimit = 4u << 20;

  // GetPrivateProfileStringA(section, key, default, buffer of `size`,
  // file): what the buffer holds, at most size - 1 bytes.  A missing file,
  // section or key gives the default (cut the same way); so does, on
  // Linux, a file that is no regular file or is over kProfileFileLimit.
  // A file in UTF-16 with its byte order mark reads as on Windows: as
  // text of the ANSI code page.
  virtual std::string GetProfileText(const std::string& section,
                                     const std::string& key,
                                     const std::string& default_value,
                                     size_t size, const std::string& file) = 0;

  // WritePrivateProfileStringA(section, key, value, file): the key's line
  // replaced or added, every other line kept; a missing file is created
  // (its folder must exist).  The new file replaces the old one whole, so
  // a reader sees the old or the new content, never a torn one.  False
  // when it cannot be written; the old file is then unchanged.  A UTF-16
  // file stays UTF-16.
  virtual bool WriteProfileText(const std::string& section,
                                const std::string& key,
                                const std::string& value,
                                const std::string& file) = 0;

  // ---- Files ---------------------------------------------------------

  // The bytes of a regular file of at most `max_bytes` bytes; nullopt when
  // it cannot be read, is longer, or is no regular file (a pipe or a
  // device such as /dev/zero could block the reader or never end).  A
  // symbolic link (on Windows any reparse point) at the path itself is
  // never followed and reads as nullopt: the web server's user may plant
  // one among the files it writes, and the programs that read them run
  // as the administrator.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path,
                                                   size_t max_bytes) = 0;

  // Replaces a file's content whole with `bytes` (no text-mode
  // conversion): written to a temporary file in the same folder, then
  // renamed over the old one.  False, with the old file unchanged, when
  // that fails.
  virtual bool WriteWholeFile(const std::string& path,
                              const std::string& bytes) = 0;

  // Writes `bytes` into the file at `path` in place, created or emptied
  // first: for a file another program reads at once and that is deleted
  // right after, where nothing is lost if the machine stops midway.  False
  // when `path` is a link or anything but a regular file.  By default the
  // replace above, which is just as good, only slower.
  virtual bool WriteShortLivedFile(const std::string& path,
                                   const std::string& bytes) {
    return WriteWholeFile(path, bytes);
  }

  virtual bool FileExists(const std::string& path) = 0;

  // ---- Texts for the web server's files ------------------------------

  // `text` of the ANSI code page (GBK) as UTF-8, the encoding in which
  // Apache and PHP read the paths of their configuration; nullopt when it
  // holds a byte sequence that is no character of the code page.
  virtual std::optional<std::string> AnsiToUtf8(const std::string& text) = 0;
};

}  // namespace platform

#endif  // BRAMO_PLATFORM_FILES_H_
