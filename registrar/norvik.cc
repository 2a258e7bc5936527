#include "registrar/norvik.h"

#include <cstdio>

#include "registrar/request_text.h"

namespace registrar {
namespace {

// Far more than a name and the blanks around it; a larger current_user is
// no file of the web application's.
constexpr size_t kCurrentUserLimit = 64u << 10;
constexpr char kUsageText[] = "usage: norvik.exe <registration-URL> <pin>\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

// A text fits a buffer of `size` bytes when its terminator does too.
bool Fits(const std::string& text, size_t size) { return text.size() < size; }

// The folder of the program: everything before the last backslash of its
// file name, or the whole name when it has none.
std::string ProgramFolder(const std::string& module_path) {
  size_t slash = module_path.rfind('\\');
  return slash == std::string::npos ? module_path
                                    : module_path.substr(0, slash);
}

// An address curl can only take as the address to post to: http:// or
// https:// (any case) and no blank or control character that would split
// it into more words of the command line.  Anything else, a leading '-'
// above all, curl would read as options of its own.
bool IsServiceAddress(const std::string& url) {
  auto starts = [&url](const std::string& scheme) {
    if (url.size() < scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i) {
      char c = url[i];
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      if (c != scheme[i]) return false;
    }
    return true;
  };
  if (!starts("http://") && !starts("https://")) return false;
  for (unsigned char c : url) {
    if (c <= ' ' || c == 0x7f) return false;
  }
  return true;
}

}  // namespace

Settings ReadSettings(platform::Env* env, const std::string& folder) {
  std::string file = folder + "\\sablo.ini";
  Settings s;
  s.mac = env->GetProfileText("mac", "mac.address", "", kSettingSize, file);
  s.ipv4 = env->GetProfileText("ip", "ip.external", "", kSettingSize, file);
  s.http_port =
      env->GetProfileText("upnp", "upnp.http.port", "", kSettingSize, file);
  s.https_port =
      env->GetProfileText("upnp", "upnp.https.port", "", kSettingSize, file);
  return s;
}

int ReadCurrentUser(platform::Env* env, const std::string& folder,
                    std::string* name) {
  std::optional<std::string> bytes = env->ReadWholeFile(
      folder + "\\website\\pc2\\database\\current_user", kCurrentUserLimit);
  if (!bytes) return 1;
  // Read in text mode: Ctrl-Z ends the text; CR is white space anyway.
  std::string text = bytes->substr(0, bytes->find('\x1a'));
  size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  size_t end = begin;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  if (end == begin) return 2;
  // A longer name would not fit the record; sending it cut would register
  // somebody else.
  if (!Fits(text.substr(begin, end - begin), kUserNameSize)) return 2;
  // The name is the buffer's C string: a zero byte in the token ends it.
  std::string token = text.substr(begin, end - begin);
  if (size_t zero = token.find('\0'); zero != std::string::npos)
    token.resize(zero);
  if (token.empty()) return 2;
  *name = token;
  return 0;
}

int RunCommandCaptured(platform::Env* env, const std::string& command_line) {
  std::string output;
  std::string errors;
  int exit_code = 0;
  uint32_t error = 0;
  int status = env->RunCommandCaptured(command_line, &output, &errors,
                                       &exit_code, &error);
  if (status == 3) {
    char line[64];
    std::snprintf(line, sizeof line, "Error : CreateProcessA: %u\n",
                  static_cast<unsigned>(error));
    env->Print(line);
  }
  if (status != 0) return status;
  // The service's answer is what curl wrote to its standard output; its
  // progress meter and its own error texts go to standard error, which
  // says nothing of the service.  No third character from the end:
  // nothing to judge, so not accepted.
  if (output.size() < 3) return 5;
  char result = output[output.size() - 3];
  env->Print(std::string("cResult = ") + result + "\n");
  // A curl that reports an error (the answer broke off, say) has not
  // brought the whole answer, whatever its last characters are.
  return result == '0' && exit_code == 0 ? 0 : 5;
}

int RunNorvik(platform::Env* env, const std::vector<std::string>& args) {
  if (args.size() < 2 || !IsServiceAddress(args[0])) {
    env->Print(kUsageText);
    return kUsage;
  }
  const std::string& url = args[0];
  const std::string& pin = args[1];
  std::string module = env->ModulePath(kPathSize);
  if (module.empty()) return kIncomplete;
  std::string folder = ProgramFolder(module);
  if (!Fits(folder + "\\sablo.ini", kPathSize)) return kIncomplete;

  Settings s = ReadSettings(env, folder);
  if (s.mac.empty() || s.ipv4.empty() || s.http_port.empty() ||
      s.https_port.empty()) {
    return kIncomplete;
  }
  for (const std::string* value :
       {&s.mac, &s.ipv4, &s.http_port, &s.https_port}) {
    if (*value == "0") {
      env->Print("mac地址为空，请检查！\n");
      return kSettingIsZero;
    }
  }
  AddressRecord record;
  if (int status = ReadCurrentUser(env, folder, &record.uname); status != 0) {
    return status;
  }
  record.mac = s.mac;
  record.pin = pin;
  record.ipv4 = s.ipv4;
  record.port = s.http_port;
  record.https = s.https_port;

  // The request file's path goes between double quotes into curl's
  // command line and the deletion's: a folder name holding a quote would
  // split both, and the file would be left behind unsent.
  if (folder.find('"') != std::string::npos) return kIncomplete;
  std::string request_file = folder + "\\regData_norvik";
  std::string command = "curl -d @\"" + request_file + "\" " + url;
  std::string body = RequestBody(record);
  std::string deletion = "del \"" + request_file + "\"";
  // Nothing is cut to fit: a request that does not fit is not sent.
  if (!Fits(request_file, kPathSize) || !Fits(command, kCommandSize) ||
      !Fits(body, kBodySize) || !Fits(deletion, kCommandSize)) {
    return kIncomplete;
  }
  // Text mode: the line end is stored as CR LF.
  if (!env->WriteShortLivedFile(request_file, body + "\r\n")) {
    env->Print("can't open file!3\n");
    return kIncomplete;
  }
  bool registered = RunCommandCaptured(env, command) == 0;
  env->Print(registered ? "norvik成功!\n" : "norvik失败!\n");
  env->System(deletion);
  return registered ? kRegistered : kNotRegistered;
}

}  // namespace registrar
