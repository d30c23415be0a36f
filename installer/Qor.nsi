; The per-user installer of Qor, one per architecture: makensis -DARCH=x64|x86 -DBIN=folder
; -DOUTFILE=file Qor.nsi. BIN holds Qor.exe, Qordll.dll, the help pages and the readmes. It
; speaks Japanese to a Japanese Windows and English to any other.
!if ${ARCH} == x64
Target amd64-unicode
!else
Unicode true
!endif
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

; The program's own names, read from its headers.
!searchparse /file "${__FILEDIR__}\..\resources\names.h" '#define MAIN_WINDOW_CLASS "' MAIN_WINDOW_CLASS '"'
!searchparse /file "${__FILEDIR__}\..\resources\names.h" 'kProfileStoreKey[] = "' PROFILE_KEY_C '"'
!searchreplace PROFILE_KEY "${PROFILE_KEY_C}" "\\" "\"
!searchparse /file "${__FILEDIR__}\..\resources\names.h" 'kHelpPage[] = "' HELP_PAGE '"'
!searchparse /file "${__FILEDIR__}\..\resources\names.h" 'kEnglishHelpPage[] = "' ENGLISH_HELP_PAGE '"'
!searchparse /file "${__FILEDIR__}\..\resources\resource.h" '#define IDM_EXIT ' IDM_EXIT
!searchparse /file "${__FILEDIR__}\..\resources\names.h" '#define LIBRARY_ASIDE_PATTERN "' ASIDE_HEAD '*' ASIDE_TAIL '"'
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_ONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Qor"

Name "Qor"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Qor"
ShowInstDetails nevershow
ShowUninstDetails nevershow
BrandingText "Qor"

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Qor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(runQor)"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
; The first is for a Windows whose language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
LangString runQor ${LANG_ENGLISH} "Start Qor"
LangString runQor ${LANG_JAPANESE} "Qor を起動する"
LangString secProgramName ${LANG_ENGLISH} "Qor (required)"
LangString secProgramName ${LANG_JAPANESE} "Qor（必須）"
LangString secRunName ${LANG_ENGLISH} "Start Qor when you log on to Windows"
LangString secRunName ${LANG_JAPANESE} "Windows へのログオン時に Qor を起動する"
LangString unSecProfilesName ${LANG_ENGLISH} "Remove the settings (profiles) too"
LangString unSecProfilesName ${LANG_JAPANESE} "設定（プロファイル）も削除する"
LangString only32 ${LANG_ENGLISH} "This Qor is for 32-bit Windows. On 64-bit Windows, please use the 64-bit Qor."
LangString only32 ${LANG_JAPANESE} "この Qor は 32 ビット版の Windows 用です。64 ビット版の Windows では 64 ビット版の Qor をお使いください。"
LangString only64 ${LANG_ENGLISH} "This Qor is for 64-bit Windows. On 32-bit Windows, please use the 32-bit Qor."
LangString only64 ${LANG_JAPANESE} "この Qor は 64 ビット版の Windows 用です。32 ビット版の Windows では 32 ビット版の Qor をお使いください。"

; Asks a running Qor to end as its tray's exit item does, and waits until its process has
; gone, so that its files can be replaced or removed.
!macro EndRunningQor prefix
Function ${prefix}endRunningQor
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
  System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
  SendMessage $0 ${WM_COMMAND} ${IDM_EXIT} 0 /TIMEOUT=5000
  ${If} $2 P<> 0
    System::Call "kernel32::WaitForSingleObject(p r2, i 15000)"
    System::Call "kernel32::CloseHandle(p r2)"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro EndRunningQor ""
!insertmacro EndRunningQor "un."

; Windows unloads a hook library from other processes lazily, long after Qor has ended, and
; a mapped library can be neither overwritten nor deleted, only renamed. So it goes aside
; under the first free name of the pattern; what earlier upgrades set aside and nothing maps
; any more goes first.
!macro SetLibraryAside prefix
Function ${prefix}setLibraryAside
  Delete "$INSTDIR\${ASIDE_HEAD}*${ASIDE_TAIL}"
  Delete "$INSTDIR\Qordll.dll"
  ${For} $0 1 99
    ${IfNot} ${FileExists} "$INSTDIR\Qordll.dll"
      Return
    ${EndIf}
    ${IfNot} ${FileExists} "$INSTDIR\${ASIDE_HEAD}$0${ASIDE_TAIL}"
      Rename "$INSTDIR\Qordll.dll" "$INSTDIR\${ASIDE_HEAD}$0${ASIDE_TAIL}"
    ${EndIf}
  ${Next}
FunctionEnd
!macroend
!insertmacro SetLibraryAside ""
!insertmacro SetLibraryAside "un."

Function .onInit
!if ${ARCH} == x86
  ${If} ${RunningX64}
    MessageBox MB_ICONSTOP "$(only32)" /SD IDOK
    Abort
  ${EndIf}
!else
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "$(only64)" /SD IDOK
    Abort
  ${EndIf}
!endif
FunctionEnd

Section "$(secProgramName)" secProgram
  SectionIn RO
  Call endRunningQor
  SetOutPath "$INSTDIR"
  Call setLibraryAside
  File "${BIN}\Qor.exe"
  File "${BIN}\Qordll.dll"
  File "${BIN}\${HELP_PAGE}"
  File "${BIN}\${ENGLISH_HELP_PAGE}"
  File "${BIN}\readme.txt"
  File "${BIN}\readme.en.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Qor.lnk" "$INSTDIR\Qor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Qor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Qor.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(secRunName)" secRun
  WriteRegStr HKCU "${RUN_KEY}" "Qor" '"$INSTDIR\Qor.exe"'
SectionEnd

Section "-onlyWhenUnticked"
  ${IfNot} ${SectionIsSelected} ${secRun}
    DeleteRegValue HKCU "${RUN_KEY}" "Qor"
  ${EndIf}
SectionEnd

; Qor ends first: it may store its settings as it ends.
Section "-un.end"
  Call un.endRunningQor
SectionEnd

; Silent uninstalls remove the profiles with /REMOVEPROFILES.
Section /o "un.$(unSecProfilesName)" unSecProfiles
  DeleteRegKey HKCU "${PROFILE_KEY}"
SectionEnd

; The folder goes last: its absence tells that the uninstaller is done. Where other
; processes still map the library, it and the folder go at the next logon.
Section "un.Qor" unSecProgram
  SectionIn RO
  DeleteRegValue HKCU "${RUN_KEY}" "Qor"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$SMPROGRAMS\Qor.lnk"
  Delete "$INSTDIR\Qor.exe"
  Call un.setLibraryAside
  Delete "$INSTDIR\${HELP_PAGE}"
  Delete "$INSTDIR\${ENGLISH_HELP_PAGE}"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\readme.en.txt"
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${FileExists} "$INSTDIR\${ASIDE_HEAD}*${ASIDE_TAIL}"
    WriteRegStr HKCU "${RUN_ONCE_KEY}" "Qor" '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\${ASIDE_HEAD}*${ASIDE_TAIL}" & rmdir "$INSTDIR"'
    Return
  ${EndIf}
  ; The shell may hold the folder a moment after its files have gone.
  ${For} $0 1 50
    RMDir "$INSTDIR"
    ${IfNot} ${FileExists} "$INSTDIR\*.*"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
SectionEnd

Function un.onInit
  ${un.GetParameters} $0
  ${un.GetOptions} $0 "/REMOVEPROFILES" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${unSecProfiles}
  ${EndIf}
FunctionEnd
