; The per-user installer of tarvina, made by scripts/package.sh, which defines
;   VERSION  x.y.z, from CMakeLists.txt
;   STAGE    the folder holding tarvina.exe, tarvina.ini and the notices
;   ICON     the program's icon
;   OUTFILE  the installer to write
; No administrator: everything goes to the user's own folders and registry.

Unicode true
; tarvina.exe is a 64-bit program, so its installer may be one too.
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include WordFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tarvina"
!define CLASSES "Software\Classes"
!define UNINSTALLER "desinstalar.exe"
!define SHORTCUT "$SMPROGRAMS\tarvina.lnk"

Name "tarvina"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\tarvina"
; Installing again goes where the last installation is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "tarvina ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarvina.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Abrir tarvina"
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Se quitará tarvina de este equipo. Tus almanaques (los archivos .zanual) no se borran: siguen en la carpeta Almanaques de tus Documentos."

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductName" "tarvina"
VIAddVersionKey /LANG=${LANG_SPANISH} "CompanyName" "tarvina"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileDescription" "Instalador de tarvina"
VIAddVersionKey /LANG=${LANG_SPANISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SPANISH} "LegalCopyright" "tarvina"

Section
  ; Over an older installation this replaces the program's own files only:
  ; the almanacs live elsewhere, and nothing else here is touched.
  SetOutPath "$INSTDIR"
  File "${STAGE}/tarvina.exe"
  ; Tells the program to keep new almanacs in Documentos\Almanaques.
  File "${STAGE}/tarvina.ini"
  File "${STAGE}/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The shortcut's working folder is Documents, where a person looks for
  ; files (the program's own folder is hidden under AppData).
  SetOutPath "$DOCUMENTS"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\tarvina.exe" "" "$INSTDIR\tarvina.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "tarvina"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "tarvina"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarvina.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The .zanual association goes only while it still opens this copy; one
; made by another copy of tarvina, or by another program, stays.
Function un.RemoveAssociation
  ReadRegStr $0 HKCU "${CLASSES}\.zanual" ""
  ${If} $0 != "zanual-files"
    Return
  ${EndIf}
  ReadRegStr $1 HKCU "${CLASSES}\zanual-files\Shell\Open\Command" ""
  ; The program writes its path quoted, every backslash doubled.
  ${un.WordReplace} "$INSTDIR\tarvina.exe" "\" "\\" "+" $2
  ${If} $1 == '"$2" "%1"'
    DeleteRegKey HKCU "${CLASSES}\zanual-files"
    DeleteRegValue HKCU "${CLASSES}\.zanual" ""
    DeleteRegKey /ifempty HKCU "${CLASSES}\.zanual"
    ; SHCNE_ASSOCCHANGED, so Explorer stops showing the icon.
    System::Call "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; Each of the installer's files by name: a .zanual file, or anything else
  ; someone kept here, stays, and so does the folder then.
  Delete "$INSTDIR\tarvina.exe"
  Delete "$INSTDIR\tarvina.ini"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  Call un.RemoveAssociation
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
