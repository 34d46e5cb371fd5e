#include "file_association.h"

#include <shlobj.h>

#include <vector>

#include "../data/file_io.h"
#include "message_box.h"
#include "path_util.h"
#include "wide.h"

namespace {

const char kUserClasses[] = "Software\\Classes";

// The default value of root\path as text, read with read access only and
// whatever its length; empty when the key or value is missing or not text.
std::string ReadDefaultText(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, Widen(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  std::string text;
  DWORD type = 0;
  DWORD size = 0;
  LONG status = RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &size);
  // The value may change between the two calls; ask again while it grows.
  while (status == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = size;
    status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                              &got);
    if (status == ERROR_MORE_DATA) {
      size = got;
      status = ERROR_SUCCESS;
      continue;
    }
    if (status == ERROR_SUCCESS) text = Narrow(buffer.data());  // up to the first zero
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
  const std::wstring wide = Widen(text);
  DWORD needed = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
  if (needed == 0) return text;
  std::vector<wchar_t> buffer(needed + 1, L'\0');
  if (ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), needed + 1) == 0) return text;
  return Narrow(buffer.data());
}

std::string ProgramPath() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return Narrow(std::wstring(path.data(), length));
    path.resize(path.size() * 2);
  }
}

// Undoes the doubling of backslashes the association is written with: only
// when every run of them is even, so a plain path keeps its UNC prefix.
std::string UndoubleBackslashes(const std::string& path) {
  std::string single;
  for (size_t i = 0; i < path.size();) {
    size_t run = 0;
    while (i + run < path.size() && path[i + run] == '\\') ++run;
    if (run == 0) {
      single += path[i++];
      continue;
    }
    if (run % 2 != 0) return path;
    single.append(run / 2, '\\');
    i += run;
  }
  return single;
}

bool IsOurProgramName(const std::string& file) {
  static const char kName[] = "tarvina.exe";
  if (file.size() != sizeof kName - 1) return false;
  for (size_t i = 0; i < file.size(); ++i) {
    char c = file[i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != kName[i]) return false;
  }
  return true;
}

}  // namespace

std::string ProgramOfCommand(const std::string& command) {
  std::string text = TrimBlanks(command);
  std::string program;
  if (!text.empty() && text[0] == '"') {
    program = text.substr(1, text.find('"', 1) - 1);
  } else {
    // Unquoted, as older associations were written: up to ".exe", blanks included.
    std::string lower = text;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    size_t exe = lower.find(".exe");
    program = exe == std::string::npos ? text.substr(0, text.find(' ')) : text.substr(0, exe + 4);
  }
  return UndoubleBackslashes(program);
}

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
  if (RegCreateKeyExW(root, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return 0;
  const std::wstring name = Widen(valueName ? valueName : "");
  const std::wstring text = Widen(data ? data : "");
  // REG_SZ data is stored with its terminating zero, so readers get a proper string.
  LONG status = RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(text.c_str()),
                               DWORD((text.size() + 1) * sizeof(wchar_t)));
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
  const std::string command = QueryOpenCommand(".zanual");
  // Ours or another program's: leave it, unless it names a copy of this
  // program that is gone (moved, or first run from a temporary folder).
  if (!command.empty()) {
    const std::string program = ProgramOfCommand(command);
    if (!IsOurProgramName(FileNameOfPath(program)) || FileExists(program)) return;
  }
  if (RegisterFileType("zanual", 1)) {
    ShowMessage(".zanual Registrado ...\r\nsi sale más este mensaje, dale compatibilidad XP SP 2 ...");
  } else {
    ShowMessage(
        "No se pudo registrar el tipo de archivo .zanual para este usuario.\r\n"
        "tarvina funciona igual, pero al abrir un archivo .zanual desde el Explorador "
        "no se abrirá con tarvina.");
  }
}
