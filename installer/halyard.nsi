; Halyard's Windows installer: Halyard (always) and Bollard (a component),
; both from their ready program folders, into Program Files, with Start-menu
; shortcuts and an uninstaller that Apps & Features lists. The uninstaller
; removes what this installer put there and nothing else: the per-user
; settings in the registry and the user's recordings stay.
;
; makensis -DVERSION=1.2.3 -DARCH=x86|x64 -DHALYARD_DIR=... -DBOLLARD_DIR=... -DOUTFILE=... halyard.nsi
Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif
SetCompressor /SOLID lzma
!include LogicLib.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Halyard"
!define PUBLISHER "Vantreck"

Name "Halyard ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Halyard"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Halyard"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Halyard and Bollard setup"
VIAddVersionKey "FileVersion" "${VERSION}.0"
VIAddVersionKey "ProductVersion" "${VERSION}.0"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Halyard (camera viewer and recorder)" SecHalyard
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${HALYARD_DIR}/Halyard.exe"
  File "${HALYARD_DIR}/Halyard.ini"
  ; The server list is the user's address book: a reinstall or an upgrade
  ; keeps the one there. Halyard writes it at every change, so users (not
  ; only administrators) may modify it; the 64-bit program gets no virtual
  ; store to fall back on.
  SetOverwrite off
  File "${HALYARD_DIR}/ServerList.ini"
  SetOverwrite on
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\ServerList.ini" /grant *S-1-5-32-545:M'
  Pop $0
  File "${HALYARD_DIR}/*.skn"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Halyard"
  CreateShortcut "$SMPROGRAMS\Halyard\Halyard.lnk" "$INSTDIR\Halyard.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Halyard"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Halyard.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Bollard (camera network set-up)" SecBollard
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BOLLARD_DIR}/Bollard.exe"
  CreateDirectory "$SMPROGRAMS\Halyard"
  CreateShortcut "$SMPROGRAMS\Halyard\Bollard.lnk" "$INSTDIR\Bollard.exe"
SectionEnd

; The size Apps & Features shows, of the sections chosen.
Section "-size"
  SectionGetSize ${SecHalyard} $0
  ${If} ${SectionIsSelected} ${SecBollard}
    SectionGetSize ${SecBollard} $1
    IntOp $0 $0 + $1
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
FunctionEnd

Function un.onInit
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
FunctionEnd

; Only the files this installer wrote: a folder the user chose may hold others.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Halyard\Halyard.lnk"
  Delete "$SMPROGRAMS\Halyard\Bollard.lnk"
  RMDir "$SMPROGRAMS\Halyard"
  Delete "$INSTDIR\Halyard.exe"
  Delete "$INSTDIR\Halyard.ini"
  Delete "$INSTDIR\ServerList.ini"
  Delete "$INSTDIR\voRizivoMain.skn"
  Delete "$INSTDIR\Login.skn"
  Delete "$INSTDIR\FileWindow.skn"
  Delete "$INSTDIR\SeekSlider.skn"
  Delete "$INSTDIR\Bollard.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
