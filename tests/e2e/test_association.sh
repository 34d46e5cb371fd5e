#!/usr/bin/env bash
# The .zanual association: registered per user at the first start and said
# so, silent afterwards, and another program's association left alone.
. "$(dirname "$0")/lib.sh"
e2e_begin

# First start with nothing registered.
reg_reset
tarvina_start
expect_message ".zanual Registrado ...
si sale más este mensaje, dale compatibilidad XP SP 2 ..."
equal "then the main window" tarvina "$(wait_window tarvina)"
exe="$(winpath "$WORK/tarvina.exe")"
doubled="${exe//\\/\\\\}"
equal ".zanual names its class" zanual-files "$(reg_default 'HKCU\Software\Classes\.zanual')"
equal "the document icon" "$doubled,1" "$(reg_default 'HKCU\Software\Classes\zanual-files\DefaultIcon')"
equal "the open command, quoted" "\"$doubled\" \"%1\"" \
  "$(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
equal "nothing machine-wide" "" "$(reg_default 'HKLM\Software\Classes\.zanual')"
tarvina_stop

# Second start: the association reads back, so no message.
tarvina_start
equal "second start: straight to the window" tarvina "$(wait_window 'tarvina|Programador')"
tarvina_stop

# A class without an open command does not count: written again.
reg_reset
reg_set 'HKCU\Software\Classes\.zanual' zanual-files
reg_set 'HKCU\Software\Classes\zanual-files\DefaultIcon' 'C:\\viejo.exe,1'
tarvina_start
expect_message ".zanual Registrado ..."
wait_window tarvina >/dev/null
equal "broken association: command written" "\"$doubled\" \"%1\"" \
  "$(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
equal "broken association: icon rewritten" "$doubled,1" \
  "$(reg_default 'HKCU\Software\Classes\zanual-files\DefaultIcon')"
tarvina_stop

# Another program owns .zanual: nothing written, nothing said.
reg_reset
reg_set 'HKCU\Software\Classes\.zanual' otro-files
reg_set 'HKCU\Software\Classes\otro-files\shell\open\command' 'C:\otro\otro.exe "%1"'
tarvina_start
equal "another program's association: no message" tarvina "$(wait_window 'tarvina|Programador')"
equal "its class stays" otro-files "$(reg_default 'HKCU\Software\Classes\.zanual')"
equal "no class of ours" "" "$(reg_default 'HKCU\Software\Classes\zanual-files\Shell\Open\Command')"
tarvina_stop
wine reg delete 'HKCU\Software\Classes\otro-files' /f >/dev/null 2>&1 </dev/null

# The same program registered machine-wide only (as an older start did) counts too.
reg_reset
reg_set 'HKLM\Software\Classes\.zanual' zanual-files
reg_set 'HKLM\Software\Classes\zanual-files\shell\open\command' "$exe %1"
tarvina_start
equal "machine-wide association: no message" tarvina "$(wait_window 'tarvina|Programador')"
equal "and nothing per user" "" "$(reg_default 'HKCU\Software\Classes\.zanual')"
tarvina_stop
reg_reset

e2e_end
