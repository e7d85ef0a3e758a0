; The Windows installer: the programs into Program Files, a Start-menu
; entry, and an uninstaller that takes all of it away again. Built by the
; `installer` target (cmake/windows_programs.cmake), which defines VERSION,
; FILES (the folder of the programs to install), ICON and OUTFILE, and
; WINDOW_PROGRAM when the window program is among them.
; A 64-bit installer, as the program is (and as Wine without its 32-bit
; half runs).
Target amd64-unicode

Name "Tessarine"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Tessarine"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Lumograph"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tessarine installer"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright 2026 Lumograph"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessarine"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Tessarine"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${FILES}\tessarine.exe"
!ifdef WINDOW_PROGRAM
  File "${FILES}\tessarine-window.exe"
  CreateShortCut "$SMPROGRAMS\Tessarine.lnk" "$INSTDIR\tessarine-window.exe"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tessarine"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Lumograph"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessarine.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there: a folder the user chose that holds
; other files keeps them.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Tessarine.lnk"
  Delete "$INSTDIR\tessarine.exe"
  Delete "$INSTDIR\tessarine-window.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
