; The Brimzo installer for Windows: installs for the current user, with no administrator
; rights, into %LOCALAPPDATA%\Programs\Brimzo, so that the game's data\ folder, where it keeps
; the scores, is the player's own.
;   makensis -DVERSION=1.0.0 -DSTAGE=DIR -DOUTFILE=brimzo-1.0.0-win64-setup.exe installer.nsi
; DIR holds the files of the portable zip (brimzo.exe, brimzo-game.exe, the DLLs, data\, ...).
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE (the folder of the files to install) is not defined"
!endif
!ifndef OUTFILE
  !define OUTFILE "brimzo-${VERSION}-win64-setup.exe"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brimzo"

Name "Brimzo ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Brimzo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${STAGE}\brimzo.ico"
UninstallIcon "${STAGE}\brimzo.ico"
ShowInstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Brimzo"
VIAddVersionKey /LANG=0 "FileDescription" "Brimzo installer"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "Brimzo developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "Brimzo developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Brimzo"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  ; Everything of the program; the stage holds no scores, so an install over an earlier one
  ; keeps the player's scores.txt and scores.cle.
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts the launcher in the install folder, where the game finds its data\.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Brimzo.lnk" "$INSTDIR\brimzo.exe" "" "$INSTDIR\brimzo.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Brimzo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Brimzo developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brimzo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes the program, the log and any file left half-written by a save; keeps the player's
; scores.txt and scores.cle, so that a reinstall shows the same table.
Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\Brimzo.lnk"
  ; The files the install put there, listed by the build (uninstall_files.nsh).
  !include "${STAGE}\..\uninstall_files.nsh"
  Delete "$INSTDIR\brimzo.log"
  Delete "$INSTDIR\data\*.new"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\data"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
