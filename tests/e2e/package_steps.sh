# shellcheck shell=bash
# Sourced by the installer and portable-zip cases after lib.sh: a Documents
# folder of the case's own, and reading the registry's values.

# ctest gives these; run by hand, they come from the build.
TARVINA_VERSION="${TARVINA_VERSION:-$(sed -n 's/^#define TARVINA_VERSION "\(.*\)"$/\1/p' \
  "$TARVINA_BUILD/generated/version.h")}"
TARVINA_SETUP="${TARVINA_SETUP:-$TARVINA_BUILD/dist/tarvina-$TARVINA_VERSION-setup.exe}"
TARVINA_ZIP="${TARVINA_ZIP:-$TARVINA_BUILD/dist/tarvina-$TARVINA_VERSION-portable.zip}"

SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'

# documents_in dir: the user's Documents known folder is dir for this case,
# as when a person moves it; documents_back puts it back where the prefix had
# it (the Linux home, which no case writes to).
documents_in() {
  mkdir -p "$1"
  wine reg add "$SHELL_FOLDERS" /v Personal /t REG_EXPAND_SZ /d "$(winpath "$1")" /f \
    >/dev/null 2>&1 </dev/null || fail "could not move the Documents folder"
}
documents_back() {
  wine reg add "$SHELL_FOLDERS" /v Personal /t REG_EXPAND_SZ /d '%USERPROFILE%\Documents' /f \
    >/dev/null 2>&1 </dev/null
}

# reg_values key: the key's values, "name=data" a line, sorted (a DWORD as 0x...).
reg_values() {
  wine reg query "$1" 2>/dev/null </dev/null | tr -d '\r' |
    awk '$2 ~ /^REG_/ { n = $1; sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print n "=" $0 }' |
    LC_ALL=C sort
}

# names_in dir: the names in dir, sorted, on one line.
names_in() {
  find "$1" -mindepth 1 -maxdepth 1 -printf '%f\n' 2>/dev/null | LC_ALL=C sort | tr '\n' ' ' |
    sed 's/ $//'
}

# Windows' own name of a folder given as an environment variable, such as LOCALAPPDATA.
win_env() { wine cmd /c "echo %$1%" 2>/dev/null </dev/null | tr -d '\r'; }
