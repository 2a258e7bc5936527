#include "controller/config/install_folder.h"


const char kUnsafeFolderText[] =
    "Bramo启动失败，安装目录的名称含有个人云服务器无法使用的字符"
    "（控制字符、双引号、问号或${），请将Bramo安装到其他目录！错误码0X8002";

bool IsConfigurableFolder(const std::string& folder) {
  // Byte by byte: a GBK trail byte is 0x40 or above and never 0x7F, so
  // none of these bytes is half of a proper character, and "$" never is.
  // A broken pair such as 0x81 "$" is refused too: how a server reads it
  // cannot be told.  "?" is what the module path shows for a character
  // the code page lacks (Windows allows it in no name): such a path names
  // no folder the server could be given.
  for (char c : folder) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '"' || c == '?') return false;
  }
  return folder.find("${") == std::string::npos;
}
