; The Windows installer: quillon.exe, quillonc.exe and the help file under Program Files,
; a Start-menu shortcut named by the program's title in the user's language, an entry in
; the list of installed programs, and (optionally) the program's folder on the PATH so
; that quillonc can be called from any console.
;
;   makensis -DVERSION=1.0.0 -DSOURCE=<folder with the files> -DOUTFILE=<setup.exe> quillon.nsi
;
; Silent use: setup.exe /S [/PATH] [/LANG=1041|1033] [/D=C:\folder]   and   uninstall.exe /S
; The uninstaller removes what was installed and leaves the user's settings (registry and
; any quillon.ini) alone.

; The programs are 64-bit, and so is the installer (it runs where they run).
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include StrFunc.nsh
!include WinMessages.nsh

${StrStr}
${UnStrRep}

!ifndef VERSION | SOURCE | OUTFILE
  !error "VERSION, SOURCE and OUTFILE must be defined (-D)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\quillon"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "$(ProductTitle)"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\quillon"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "quillon ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "quillon"
VIAddVersionKey /LANG=0 "FileDescription" "quillon ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT License"

!define MUI_ABORTWARNING
!define MUI_ICON "${SOURCE}\quillon.ico"
!define MUI_UNICON "${SOURCE}\quillon.ico"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString ProductTitle ${LANG_ENGLISH} "Tidewright"
LangString ProductTitle ${LANG_JAPANESE} "タイドライト"
LangString SectionPrograms ${LANG_ENGLISH} "Programs and help"
LangString SectionPrograms ${LANG_JAPANESE} "プログラムとヘルプ"
LangString SectionPath ${LANG_ENGLISH} "Add the folder to PATH (for quillonc)"
LangString SectionPath ${LANG_JAPANESE} "フォルダを PATH に追加する (quillonc 用)"
LangString PathTooLong ${LANG_ENGLISH} "PATH is too long to be changed safely; it was left as it is."
LangString PathTooLong ${LANG_JAPANESE} "PATH が長すぎるため安全に変更できません。変更せずにおきます。"

Section "$(SectionPrograms)" SectionPrograms
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${SOURCE}\quillon.exe"
  File "${SOURCE}\quillonc.exe"
  File "${SOURCE}\quillon.chm"
  File "${SOURCE}\README.txt"
  File "${SOURCE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\$(ProductTitle).lnk" "$INSTDIR\quillon.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "$(ProductTitle)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillon.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; The shortcut's name depends on the language of the install; the uninstaller reads it
  ; back instead of guessing.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "ShortcutName" "$(ProductTitle)"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(SectionPath)" SectionPath
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${StrStr} $1 ";$0;" ";$INSTDIR;"
  ${If} $1 == ""
    ; A value longer than NSIS strings hold would come back cut: writing it back would
    ; lose the rest of the user's PATH.
    StrLen $2 "$0;$INSTDIR"
    ${If} $2 >= ${NSIS_MAX_STRLEN}
      MessageBox MB_ICONEXCLAMATION|MB_OK "$(PathTooLong)" /SD IDOK
    ${Else}
      ${If} $0 == ""
        StrCpy $0 "$INSTDIR"
      ${Else}
        StrCpy $0 "$0;$INSTDIR"
      ${EndIf}
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
      WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  SetRegView 64
  ; /PATH selects the PATH entry in a silent install.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    SectionGetFlags ${SectionPath} $R2
    IntOp $R2 $R2 | ${SF_SELECTED}
    SectionSetFlags ${SectionPath} $R2
  ${EndIf}
  ; /LANG=1041 (Japanese) or /LANG=1033 (English) instead of the user's language, for
  ; silent installs made on someone else's behalf.
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == ${LANG_JAPANESE}
  ${OrIf} $R1 == ${LANG_ENGLISH}
    StrCpy $LANGUAGE $R1
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "ShortcutName"
  ${If} $0 != ""
    Delete "$SMPROGRAMS\$0.lnk"
  ${EndIf}

  ReadRegDWORD $1 HKLM "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $1 == 1
    ReadRegStr $2 HKLM "${ENVIRONMENT_KEY}" "Path"
    StrLen $3 $2
    ; Left as it is when it may have come back cut (see the installer).
    ${If} $3 < ${NSIS_MAX_STRLEN}
      ${UnStrRep} $2 ";$2;" ";$INSTDIR;" ";"
      StrCpy $2 $2 "" 1
      StrCpy $2 $2 -1
      WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$2"
      SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
  ${EndIf}

  ; Only what was installed: a quillon.ini or other files the user put here stay, and so
  ; does the folder then.
  Delete "$INSTDIR\quillon.exe"
  Delete "$INSTDIR\quillonc.exe"
  Delete "$INSTDIR\quillon.chm"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
