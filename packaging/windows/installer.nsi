; The Windows installer of QMR51 Visualisation: both programs with their DLLs and plugins in
; C:\Program Files\QMR51 Visualisation, a Start-menu entry and an entry in "Apps" to uninstall.
; makensis -DVERSION=4.0.0.4 -DSTAGE=<staged folder> -DOUTFILE=<setup.exe> installer.nsi
; Silent: Setup.exe /S [/D=C:\Other Folder]   (/D last, unquoted, as NSIS wants it)
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
Name "QMR51 Visualisation"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\QMR51 Visualisation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "QMR51 Visualisation"
VIAddVersionKey "FileDescription" "QMR51 Visualisation installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QMR51-Visualisation"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetRegView 64
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\QMR51 Visualisation.lnk" "$INSTDIR\qmr51-visualisation.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "QMR51 Visualisation"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "QMR51 Visualisation"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\qmr51-visualisation.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put there. What the tool made in the folder (DATA\ images, PCOM<n>.bat,
; saved logs) stays, and with it the folder, so nothing of the technician's is lost.
Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Delete "$SMPROGRAMS\QMR51 Visualisation.lnk"
  Delete "$INSTDIR\qmr51-visualisation.exe"
  Delete "$INSTDIR\qmr51ctl.exe"
  Delete "$INSTDIR\*.dll"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\imageformats"
  RMDir "$INSTDIR\DATA"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
