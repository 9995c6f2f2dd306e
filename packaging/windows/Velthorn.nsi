; The Windows installer: Velthorn.exe and velthorn-render.exe into Program
; Files, a Start menu entry with the app's icon, the VST3 where Windows hosts
; look for it (Common Files\VST3), and an uninstaller that Windows lists
; among the installed apps. Silent with /S (and /D=<folder> for another
; folder); the uninstaller too.
;
; Built by makensis (see CMakeLists.txt here) with these defines:
;   VERSION  the version, three numbers
;   STAGE    the folder holding what is installed, as the zip holds it
;   ICON     the app's icon file
;   OUTFILE  the installer to write

; Windows on x86-64 only; the programs are 64-bit, and so is the installer.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestSupportedOS all
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velthorn"

Name "Velthorn"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velthorn"
; An update goes where the last version was put.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velthorn ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Velthorn"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Velthorn ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "The Velthorn developers"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The Velthorn developers, GPLv3+"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Velthorn holds this mutex (src/app/RunningInstanceMark.h). Windows
; will not replace or delete the files of a running program, so an update over
; it would be left half done: the running app is looked for before anything is
; touched. Interactively the user is asked to close it (Retry) or to stop
; (Cancel); silently (/S) the setup stops at once with exit status 2,
; nothing changed.
!define RUNNING_MUTEX "Global\VelthornIsRunning"
!define SYNCHRONIZE 0x00100000

!macro StopWhileVelthornRuns WHAT
    velthornRunning_${WHAT}:
        System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${RUNNING_MUTEX}") p .r0'
        StrCmp $0 0 velthornNotRunning_${WHAT}
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "Velthorn is running. Close it, then choose Retry to continue the ${WHAT}, or Cancel to stop it; nothing has been changed." \
            /SD IDCANCEL IDRETRY velthornRunning_${WHAT}
        SetErrorLevel 2
        Quit
    velthornNotRunning_${WHAT}:
!macroend

; The Start menu and the registry of the whole machine, in its 64-bit view,
; as a program in Program Files belongs to every user.
Function .onInit
    !insertmacro StopWhileVelthornRuns "installation"
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    !insertmacro StopWhileVelthornRuns "removal"
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Velthorn"
    SetOutPath "$INSTDIR"
    File "${STAGE}/Velthorn.exe"
    File "${STAGE}/velthorn-render.exe"
    File "${STAGE}/README.txt"
    SetOutPath "$INSTDIR\licences"
    File "${STAGE}/licences/*.txt"

    ; A bundle folder, found by every VST3 host in this folder.
    SetOutPath "$COMMONFILES64\VST3"
    File /r "${STAGE}/Velthorn.vst3"

    ; Started from the Start menu, the app's working folder is its own.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\Velthorn.lnk" "$INSTDIR\Velthorn.exe" "" "$INSTDIR\Velthorn.exe" 0 \
        SW_SHOWNORMAL "" "Guitar multi-effect"

    WriteUninstaller "$INSTDIR\Uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velthorn"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Velthorn developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://velthorn.audio"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velthorn.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

    ; In KiB, as the list of installed apps shows it.
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    ${GetSize} "$COMMONFILES64\VST3\Velthorn.vst3" "/S=0K" $3 $1 $2
    IntOp $0 $0 + $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the installer put in place. The settings each user's
; Velthorn wrote (%APPDATA%\Velthorn) are theirs and stay.
Section "Uninstall"
    Delete "$SMPROGRAMS\Velthorn.lnk"

    RMDir /r "$COMMONFILES64\VST3\Velthorn.vst3"
    ; Only if no other plugin is left in it.
    RMDir "$COMMONFILES64\VST3"

    Delete "$INSTDIR\Velthorn.exe"
    Delete "$INSTDIR\velthorn-render.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\licences\*.txt"
    RMDir "$INSTDIR\licences"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only if the user kept nothing of their own in it.
    RMDir "$INSTDIR"

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
