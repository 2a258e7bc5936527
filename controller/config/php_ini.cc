#include "controller/config/php_ini.h"

#include "controller/config/php_ini_path.h"

int RewritePhpIni(platform::Env& env, const std::string& folder) {
  const std::string path = folder + "php\\php.ini";
  struct Setting {
    const char* section;
    const char* key;
    const char* relative;
  };
  static constexpr Setting kSettings[] = {
      {"PHP", "error_log", "php\\logs\\php_error_log"},
      {"PHP", "extension_dir", "php\\ext"},
      {"PHP", "upload_tmp_dir", "php\\tmp"},
      {"Session", "session.save_path", "pc2\\sessionstemp"},
  };
  for (const Setting& s : kSettings) {
    // PHP reads the paths of its configuration as UTF-8; the folder is
    // ANSI text.
    std::optional<std::string> utf8 = env.AnsiToUtf8(folder + s.relative);
    if (!utf8) continue;
    // The quotes keep a folder with blanks one value.
    env.WriteProfileText(s.section, s.key, "\"" + PhpIniPath(*utf8) + "\"",
                         path);
  }
  return 0;
}
