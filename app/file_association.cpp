#include "file_association.h"

#include <shlobj.h>

#include <vector>

#include "message_box.h"
#include "path_util.h"

namespace {

const char kUserClasses[] = "Software\\Classes";

// The default value of root\path as text, read with read access only and
// whatever its length; empty when the key or value is missing or not text.
std::string ReadDefaultText(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
  std::string text;
  DWORD type = 0;
  DWORD size = 0;
  LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size);
  // The value may change between the two calls; ask again while it grows.
  while (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<char> buffer(size + 1, 0);
    DWORD got = size;
    status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                              &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      status = ERROR_SUCCESS;
      continue;
    }
    if (status == ERROR_SUCCESS) text.assign(buffer.data());  // up to the first zero byte
    break;
  }
  RegCloseKey(key);
  return text;
}

// A class key's value as the user sees it: the user's own classes win over
// the machine's, as HKEY_CLASSES_ROOT merges them on Windows.
std::string ReadClassText(const std::string& path) {
  std::string text = ReadDefaultText(HKEY_CURRENT_USER, std::string(kUserClasses) + "\\" + path);
  if (TrimBlanks(text).empty()) text = ReadDefaultText(HKEY_CLASSES_ROOT, path);
  return text;
}

std::string ExpandEnvironment(const std::string& text) {
  DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<char> buffer(needed + 1, 0);
  if (ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed + 1) == 0) return text;
  return buffer.data();
}

std::string ProgramPath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return std::string(path.data(), length);
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string QueryOpenCommand(const char* extension) {
  std::string className = TrimBlanks(ReadClassText(extension));
  if (className.empty()) return {};
  std::string command = ReadClassText(className + "\\shell\\open\\command");
  if (command.empty()) return {};
  return TrimBlanks(ExpandEnvironment(command));
}

int WriteRegistryText(HKEY root, const char* keyPath, const char* valueName, const char* data) {
  if (!root) root = HKEY_CURRENT_USER;
  std::string path = keyPath ? keyPath : "";
  size_t first = path.find_first_not_of('\\');
  size_t last = path.find_last_not_of('\\');
  path = first == std::string::npos ? std::string() : path.substr(first, last - first + 1);

  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return 0;
  std::string text = data ? data : "";
  // REG_SZ data is stored with its terminating zero, so readers get a proper string.
  LONG status = RegSetValueExA(key, valueName && *valueName ? valueName : nullptr, 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1));
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? 1 : 0;
}

std::string DoubleBackslashes(const std::string& path) {
  std::string doubled;
  doubled.reserve(path.size() * 2);
  for (char c : path) {
    doubled += c;
    if (c == '\\') doubled += '\\';
  }
  return doubled;
}

bool RegisterFileType(const char* word, int iconIndex) {
  std::string extension = word ? word : "";
  if (extension.find('.') != std::string::npos) {
    ShowMessage("Error : Extension se pone sin punto ...");
    return false;
  }
  // Per user: HKEY_CLASSES_ROOT shows these to the user, and a standard
  // user can always write them, unlike the machine-wide classes.
  const std::string classes = std::string(kUserClasses) + "\\";
  const std::string className = extension + "-files";
  const std::string program = DoubleBackslashes(ProgramPath());
  // Quoted, so a path with blanks cannot be taken for a shorter program.
  const std::string command = "\"" + program + "\" \"%1\"";
  const std::string icon = program + "," + std::to_string(iconIndex);

  int written = 0;
  written += WriteRegistryText(HKEY_CURRENT_USER, (classes + "." + extension).c_str(), "",
                               className.c_str());
  written += WriteRegistryText(HKEY_CURRENT_USER, (classes + className + "\\DefaultIcon").c_str(),
                               "", icon.c_str());
  written += WriteRegistryText(HKEY_CURRENT_USER,
                               (classes + className + "\\Shell\\Open\\Command").c_str(), "",
                               command.c_str());
  if (written > 0) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return written == 3;
}

void EnsureFileAssociation() {
  if (!QueryOpenCommand(".zanual").empty()) return;  // ours, or another program's: leave it
  if (RegisterFileType("zanual", 1)) {
    ShowMessage(".zanual Registrado ...\r\nsi sale más este mensaje, dale compatibilidad XP SP 2 ...");
  } else {
    ShowMessage(
        "No se pudo registrar el tipo de archivo .zanual para este usuario.\r\n"
        "tarvina funciona igual, pero al abrir un archivo .zanual desde el Explorador "
        "no se abrirá con tarvina.");
  }
}
