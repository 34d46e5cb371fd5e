#!/usr/bin/env bash
# The installer, as a person meets it: a silent install puts the program,
# its Start-menu shortcut and its entry among the installed apps in place;
# the installed program registers .zanual for the user and keeps a new
# almanac in Almanaques inside Documents; installing again keeps it; the
# silent uninstall takes program, shortcut, entry and association away and
# leaves every almanac byte for byte.
. "$(dirname "$0")/lib.sh"
e2e_begin
. "$(dirname "$0")/new_almanac_steps.sh"
. "$(dirname "$0")/label_steps.sh"
. "$(dirname "$0")/package_steps.sh"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\tarvina'
inst_win="$(win_env LOCALAPPDATA)\\Programs\\tarvina"
inst="$(winepath -u "$inst_win" 2>/dev/null </dev/null)"
lnk="$(winepath -u "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\tarvina.lnk" \
  2>/dev/null </dev/null)"
docs="$WORK/Mis documentos"
almanac="$docs/Almanaques/Casa.zanual"

# Whatever an earlier, broken run may have left.
forget_installation() {
  rm -rf "$inst" "$lnk"
  wine reg delete "$key" /f >/dev/null 2>&1 </dev/null
  return 0
}
trap 'tarvina_stop; forget_installation; reg_reset; documents_back; e2e_cleanup' EXIT
forget_installation
reg_reset
documents_in "$docs"

installed() {
  local f missing=""
  for f in tarvina.exe tarvina.ini THIRD-PARTY-NOTICES.txt desinstalar.exe; do
    [ -f "$inst/$f" ] || missing="$missing $f"
  done
  echo "$missing"
}

wine "$TARVINA_SETUP" /S </dev/null 2>>"$WORK/wine.log"
equal "installed: the program's files" "" "$(installed)"
check "the Start-menu shortcut opens the installed program" \
  grep -aqF "$inst_win\\tarvina.exe" "$lnk"
exe_kb=$(($(stat -c %s "$inst/tarvina.exe") / 1024))
entry="$(reg_values "$key")"
equal "the uninstall entry" "DisplayIcon=$inst_win\\tarvina.exe,0
DisplayName=tarvina
DisplayVersion=$TARVINA_VERSION
InstallLocation=$inst_win
NoModify=0x1
NoRepair=0x1
Publisher=tarvina
QuietUninstallString=\"$inst_win\\desinstalar.exe\" /S
UninstallString=\"$inst_win\\desinstalar.exe\"" "$(grep -v '^EstimatedSize=' <<<"$entry")"
size="$(sed -n 's/^EstimatedSize=//p' <<<"$entry")"
check "its estimated size ($size KB) covers the program ($exe_kb KB)" \
  test "$((size))" -ge "$exe_kb" -a "$((size))" -lt $((exe_kb * 2))

# The first start registers .zanual for this copy; "Nuevo" makes Casa, and
# its label goes to Documentos\Almanaques.
PROGRAM_DIR="$inst"
tarvina_start
expect_message ".zanual Registrado"
exe="$inst_win\\tarvina.exe"
doubled="${exe//\\/\\\\}"
equal "the association names the installed copy, per user" "zanual-files \"$doubled\" \"%1\"" \
  "$(reg_default 'HKCU\Software\Classes\.zanual') $(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
equal "then the main window" tarvina "$(wait_window tarvina)"
new_almanac 20 Casa
check "Almanaques made inside Documents" test -d "$docs/Almanaques"
add_label "$(date +%-m)" "$(date +%-d)"
equal "the label is stored in Documentos\\Almanaques" 284 "$(stat -c %s "$almanac" 2>/dev/null)"
equal "nothing stored beside the installed program" "" "$(cd "$inst" && ls ./*.zanual 2>/dev/null)"
choose_menu "$title" 0 3
expect_ended 15
before="$(md5sum <"$almanac")"

# Installing again, over it, keeps the almanac and the association.
wine "$TARVINA_SETUP" /S </dev/null 2>>"$WORK/wine.log"
equal "installed again: the program's files" "" "$(installed)"
equal "installed again: the almanac as it was" "$before" "$(md5sum <"$almanac")"
equal "installed again: the association stays" "\"$doubled\" \"%1\"" \
  "$(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"

# The silent uninstall, as the entry's QuietUninstallString gives it. The
# uninstaller goes on from a copy of itself, which removes the original last.
uninstall() {
  wine "$inst/desinstalar.exe" /S </dev/null 2>>"$WORK/wine.log"
  for _ in $(seq 100); do [ -e "$inst/desinstalar.exe" ] || break; sleep 0.2; done
}

# An almanac someone kept beside the program is not the uninstaller's either.
cp "$almanac" "$inst/Viejo.zanual"
uninstall
equal "uninstalled: only the almanac is left in the program's folder" "Viejo.zanual" \
  "$(names_in "$inst")"
equal "uninstalled: that almanac as it was" "$before" "$(md5sum <"$inst/Viejo.zanual")"
check "uninstalled: no shortcut" test ! -e "$lnk"
equal "uninstalled: no uninstall key (reg query fails)" 1 \
  "$(wine reg query "$key" >/dev/null 2>&1 </dev/null; echo $?)"
equal "uninstalled: no association" "|" \
  "$(reg_default 'HKCU\Software\Classes\.zanual')|$(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
equal "uninstalled: the almanac in Documents as it was" "$before" "$(md5sum <"$almanac")"

# An association that another copy made since (a portable one, say) is not
# this copy's to take away.
wine "$TARVINA_SETUP" /S </dev/null 2>>"$WORK/wine.log"
other='"C:\\portable\\tarvina.exe" "%1"'
reg_set 'HKCU\Software\Classes\.zanual' zanual-files
reg_set 'HKCU\Software\Classes\zanual-files\Shell\Open\Command' "$other"
uninstall
check "uninstalled again" test ! -e "$inst/tarvina.exe"
equal "another copy's association stays" "zanual-files $other" \
  "$(reg_default 'HKCU\Software\Classes\.zanual') $(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"

e2e_end
