; The per-user installer of Qor, one per architecture: makensis -DARCH=x64|x86 -DBIN=folder
; -DLIBRARY=Qordll-<version>.dll -DOUTFILE=file Qor.nsi. BIN holds Qor.exe, the library, the
; help pages and the readmes. It speaks Japanese to a Japanese Windows and English to any other.
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
!searchparse /file "${__FILEDIR__}\..\rules\app_rules.h" '#define MAIN_WINDOW_CLASS "' MAIN_WINDOW_CLASS '"'
!searchparse /file "${__FILEDIR__}\..\settings\profile_store.h" 'kProfileStoreKey[] = "' PROFILE_KEY_C '"'
!searchreplace PROFILE_KEY "${PROFILE_KEY_C}" "\\" "\"
!searchparse /file "${__FILEDIR__}\..\ui\help.h" 'kHelpPage[] = "' HELP_PAGE '"'
!searchparse /file "${__FILEDIR__}\..\ui\help.h" 'kEnglishHelpPage[] = "' ENGLISH_HELP_PAGE '"'
!searchparse /file "${__FILEDIR__}\..\rules\app_rules.h" '#define END_REQUEST_PROPERTY "' END_REQUEST_PROPERTY '"'
!searchparse /file "${__FILEDIR__}\..\app\leftovers.h" '#define HOOK_LIBRARY_PATTERN "' LIBRARY_PATTERN '"'
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

; Asks a running Qor to end, and waits until its process has gone, so that its files can be
; replaced or removed. Only the window of a process that runs the Qor.exe of this folder: any
; program may make a window of Qor's class. Qor obeys a WM_CLOSE only once its end request is
; set, which takes the right to duplicate Qor's handles (PROCESS_DUP_HANDLE): a process that
; could end Qor anyway.
!macro EndRunningQor prefix
Function ${prefix}endRunningQor
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" "" $0
    ${If} $0 = 0
      Return
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    ; SYNCHRONIZE, PROCESS_QUERY_LIMITED_INFORMATION and PROCESS_DUP_HANDLE
    System::Call "kernel32::OpenProcess(i 0x00101040, i 0, i r1) p .r2"
    StrCpy $3 ""
    System::Call "kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})"
    ${If} $3 == "$INSTDIR\Qor.exe"
      ${Break}
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r2)"
  ${Loop}
  System::Call "user32::GetPropW(p r0, w '${END_REQUEST_PROPERTY}') p .r3"
  ; EVENT_MODIFY_STATE of the event, into this process.
  System::Call "kernel32::DuplicateHandle(p r2, p r3, p -1, *p .r4, i 2, i 0, i 0) i .r5"
  ${If} $5 <> 0
    System::Call "kernel32::SetEvent(p r4)"
    System::Call "kernel32::CloseHandle(p r4)"
  ${EndIf}
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  System::Call "kernel32::WaitForSingleObject(p r2, i 15000)"
  System::Call "kernel32::CloseHandle(p r2)"
FunctionEnd
!macroend
!insertmacro EndRunningQor ""
!insertmacro EndRunningQor "un."

; Windows unloads a hook library from other processes lazily, long after Qor has ended, and
; a mapped library can be neither overwritten nor deleted. Each build's library has a name of
; its own, so the new one goes beside those still mapped, which the next start of Qor deletes
; once nothing maps them; what nothing maps now goes at once.
!macro RemoveLibraries prefix
Function ${prefix}removeLibraries
  Delete "$INSTDIR\${LIBRARY_PATTERN}"
FunctionEnd
!macroend
!insertmacro RemoveLibraries ""
!insertmacro RemoveLibraries "un."

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
  Call removeLibraries
  File "${BIN}\Qor.exe"
  ; Still there under this build's name: mapped, and the very same library.
  SetOverwrite try
  File "${BIN}\${LIBRARY}"
  SetOverwrite on
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
  Call un.removeLibraries
  Delete "$INSTDIR\${HELP_PAGE}"
  Delete "$INSTDIR\${ENGLISH_HELP_PAGE}"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\readme.en.txt"
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${FileExists} "$INSTDIR\${LIBRARY_PATTERN}"
    WriteRegStr HKCU "${RUN_ONCE_KEY}" "Qor" '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\${LIBRARY_PATTERN}" & rmdir "$INSTDIR"'
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
