; Tevrin's setup program. One script makes both installers (scripts/package runs it):
;   makensis -DVERSION=x.y.z -DTARGET=win32 -DDIST32=<release folder> -DOUTFILE=<exe> Tevrin.nsi
;   makensis -DVERSION=x.y.z -DTARGET=win64 -DDIST64=<folder> -DDIST32=<folder> -DOUTFILE=<exe> Tevrin.nsi
;
; win32 installs the 32-bit release into "Program Files\Tevrin" (Program Files (x86) on a
; 64-bit Windows). win64 is itself a 64-bit program: it installs the 64-bit release into
; "Program Files\Tevrin" and the 32-bit release beside it in "Program Files\Tevrin\x86",
; because a wrapper drives only processes of its own bitness. Each wrappers.dll is
; registered by the regsvr32 of its own bitness, so it lands in its own registry view;
; the Add/Remove Programs entry lives in the view of the installer's bitness.
; The user's settings (HKCU\Software\Norwend\Tevrin) are never touched.

!macro Require NAME
  !ifndef ${NAME}
    !error "define VERSION, TARGET (win32 or win64), DIST32 (and DIST64 for win64) and OUTFILE"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require TARGET
!insertmacro Require DIST32
!insertmacro Require OUTFILE

Unicode true
!if "${TARGET}" == "win64"
  !ifndef DIST64
    !error "the win64 installer needs DIST64, the 64-bit release folder"
  !endif
  Target amd64-unicode
  !define OWN_VIEW 64
  !define DEFAULT_DIR "$PROGRAMFILES64\Tevrin"
!else if "${TARGET}" == "win32"
  !define OWN_VIEW 32
  !define DEFAULT_DIR "$PROGRAMFILES\Tevrin"
!else
  !error "TARGET must be win32 or win64, not ${TARGET}"
!endif

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include MUI2.nsh

!define PUBLISHER "Norwend"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tevrin"
!define STARTMENU "$SMPROGRAMS\Tevrin"

Name "Tevrin"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_DIR}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
BrandingText "Tevrin ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Tevrin"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tevrin ${VERSION} setup (${TARGET})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

Var PrevDir   ; folder of an earlier install, from its Add/Remove Programs entry

!define MUI_ABORTWARNING
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; --- What a release folder holds -------------------------------------------------------

!macro ForEachReleaseFile MACRO SRC DEST
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "Tevrin.exe"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "wrappers.dll"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "ostrel.dll"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "debugservices.dll"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "stepscript.dll"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "languages.ini"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "tagclass.ini"
  !insertmacro ${MACRO} "${SRC}" "${DEST}" "Tevrin.chm"
!macroend

!macro InstallReleaseFile SRC DEST NAME
  File "/oname=${DEST}\${NAME}" "${SRC}\${NAME}"
!macroend

!macro RemoveReleaseFile SRC DEST NAME
  Delete "${DEST}\${NAME}"
!macroend

; --- Tevrin running from a folder ------------------------------------------------------

; FindRunningTevrin: pops a folder, pushes the path of a Tevrin.exe that runs from it or
; from its x86 subfolder, or "" when none does. Files of a running program cannot be
; replaced or removed, and half an install is worse than none.
!macro DefineFindRunningTevrin UN
Function ${UN}FindRunningTevrin
  Exch $0              ; folder
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  System::Call 'kernel32::GetLongPathNameW(w r0, w .r1, i ${NSIS_MAX_STRLEN}) i .r2'
  StrCpy $8 ""
  ${If} $2 <> 0
    System::Alloc 16384                       ; room for 4096 process ids
    Pop $3
    System::Call 'psapi::EnumProcesses(p r3, i 16384, *i .r4) i .r2'
    ${If} $2 <> 0
      IntOp $4 $4 / 4
      StrCpy $5 0
      ${DoWhile} $5 < $4
        IntOp $6 $5 * 4
        IntPtrOp $6 $3 + $6
        System::Call '*$6(i .r7)'
        ; PROCESS_QUERY_LIMITED_INFORMATION is enough for the image path.
        System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r7) p .r6'
        ${If} $6 P<> 0
          System::Call 'kernel32::QueryFullProcessImageNameW(p r6, i 0, w .r7, *i ${NSIS_MAX_STRLEN}) i .r2'
          System::Call 'kernel32::CloseHandle(p r6)'
          ${If} $2 <> 0
            System::Call 'kernel32::GetLongPathNameW(w r7, w .r6, i ${NSIS_MAX_STRLEN}) i .r2'
            ${If} $2 <> 0
              StrCpy $7 $6
            ${EndIf}
            ${If} $7 == "$1\Tevrin.exe"
            ${OrIf} $7 == "$1\x86\Tevrin.exe"
              StrCpy $8 $7
            ${EndIf}
          ${EndIf}
        ${EndIf}
        ${If} $8 != ""
          ${ExitDo}
        ${EndIf}
        IntOp $5 $5 + 1
      ${Loop}
    ${EndIf}
    System::Free $3
  ${EndIf}
  StrCpy $0 $8
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DefineFindRunningTevrin ""
!insertmacro DefineFindRunningTevrin "un."

; Refuses (message, exit code 2) while Tevrin runs from FOLDER. ACTION names what waits.
!macro RefuseWhileRunning UN FOLDER ACTION
  Push "${FOLDER}"
  Call ${UN}FindRunningTevrin
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "Tevrin is running ($0).$\r$\nClose it, then ${ACTION} again." /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; --- Registration ----------------------------------------------------------------------

; Runs regsvr32 (path REGSVR, arguments ARGS) on FOLDER\wrappers.dll from FOLDER, so that
; the DLL finds ostrel.dll beside it. Leaves regsvr32's exit code in $0, or "" when
; regsvr32 could not start (no 32-bit support on this system).
!macro RunRegsvr32 REGSVR ARGS FOLDER
  SetOutPath "${FOLDER}"
  ClearErrors
  ExecWait '"${REGSVR}" ${ARGS} "${FOLDER}\wrappers.dll"' $0
  ${If} ${Errors}
    StrCpy $0 ""
  ${EndIf}
!macroend

!macro RegisterWrappers REGSVR FOLDER LABEL
  !insertmacro RunRegsvr32 "${REGSVR}" "/s" "${FOLDER}"
  ${If} $0 == 0
    DetailPrint "Registered the ${LABEL} wrappers.dll"
  ${ElseIf} $0 == ""
    DetailPrint "This system runs no ${LABEL} programs: the ${LABEL} wrappers.dll stays unregistered"
  ${Else}
    DetailPrint "regsvr32 failed on the ${LABEL} wrappers.dll (exit code $0)"
    MessageBox MB_OK|MB_ICONEXCLAMATION "The ${LABEL} wrappers.dll could not be registered (regsvr32 exit code $0).$\r$\nScripts cannot create Wrappers.WNDWrapper until it is." /SD IDOK
    SetErrorLevel 3
  ${EndIf}
!macroend

; ${TEVRIN_REGSVR32} runs the 32-bit regsvr32; the 64-bit one is $SYSDIR's in the 64-bit installer.
!if "${TARGET}" == "win64"
  !define REGSVR32_X86 "$WINDIR\SysWOW64\regsvr32.exe"
!else
  !define REGSVR32_X86 "$SYSDIR\regsvr32.exe"
!endif

; --- Install ---------------------------------------------------------------------------

Function .onInit
  SetRegView ${OWN_VIEW}
  !if "${TARGET}" == "win64"
    ; One Tevrin per machine: the 32-bit one of the other installer would share the
    ; 32-bit registrations with ours.
    SetRegView 32
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    SetRegView 64
    ${If} $0 != ""
      MessageBox MB_OK|MB_ICONSTOP "The 32-bit Tevrin is installed in $0.$\r$\nUninstall it first: this setup installs the 64-bit and the 32-bit Tevrin." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  !else
    ${If} ${RunningX64}
      SetRegView 64
      ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
      SetRegView 32
      ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP "The 64-bit Tevrin, which includes the 32-bit one, is installed in $0.$\r$\nUse its setup (Tevrin-<version>-win64-setup.exe) to change it." /SD IDOK
        SetErrorLevel 2
        Abort
      ${EndIf}
    ${EndIf}
  !endif
  ; An upgrade goes where the earlier install is, unless /D= says otherwise (NSIS takes
  ; /D= out of $CMDLINE, not out of the process's command line).
  ReadRegStr $PrevDir HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $PrevDir != ""
    System::Call 'kernel32::GetCommandLineW() p .r0'
    System::Call 'shlwapi::StrStrIW(p r0, w " /D=") p .r1'
    ${If} $1 P= 0
      StrCpy $INSTDIR $PrevDir
    ${EndIf}
  ${EndIf}
  ${If} ${Silent}
    !insertmacro RefuseWhileRunning "" "$INSTDIR" "run setup"
  ${EndIf}
  ${If} $PrevDir != ""
    !insertmacro RefuseWhileRunning "" "$PrevDir" "run setup"
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Push "$INSTDIR"
  Call FindRunningTevrin
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "Tevrin is running ($0).$\r$\nClose it, then go on."
    Abort
  ${EndIf}
FunctionEnd

Section "Tevrin"
  SectionIn RO
  SetShellVarContext all

  ; An earlier install in another folder goes first: one set of registrations, one entry.
  ${If} $PrevDir != ""
  ${AndIf} $PrevDir != $INSTDIR
  ${AndIf} ${FileExists} "$PrevDir\Uninstall.exe"
    DetailPrint "Removing the earlier install in $PrevDir"
    ExecWait '"$PrevDir\Uninstall.exe" /S _?=$PrevDir' $0
    ${If} $0 != 0
      MessageBox MB_OK|MB_ICONSTOP "The earlier install in $PrevDir could not be removed (exit code $0)." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    ; Run in place, its uninstaller cannot remove itself.
    Delete "$PrevDir\Uninstall.exe"
    RMDir "$PrevDir"
  ${EndIf}

  !if "${TARGET}" == "win64"
    SetOutPath "$INSTDIR"
    !insertmacro ForEachReleaseFile InstallReleaseFile "${DIST64}" "$INSTDIR"
    SetOutPath "$INSTDIR\x86"
    !insertmacro ForEachReleaseFile InstallReleaseFile "${DIST32}" "$INSTDIR\x86"
  !else
    SetOutPath "$INSTDIR"
    !insertmacro ForEachReleaseFile InstallReleaseFile "${DIST32}" "$INSTDIR"
  !endif
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  !if "${TARGET}" == "win64"
    !insertmacro RegisterWrappers "$SYSDIR\regsvr32.exe" "$INSTDIR" "64-bit"
    !insertmacro RegisterWrappers "${REGSVR32_X86}" "$INSTDIR\x86" "32-bit"
  !else
    !insertmacro RegisterWrappers "${REGSVR32_X86}" "$INSTDIR" "32-bit"
  !endif
  SetOutPath "$INSTDIR"

  CreateDirectory "${STARTMENU}"
  CreateShortcut "${STARTMENU}\Tevrin.lnk" "$INSTDIR\Tevrin.exe"
  !if "${TARGET}" == "win64"
    CreateShortcut "${STARTMENU}\Tevrin (32-bit).lnk" "$INSTDIR\x86\Tevrin.exe"
  !endif
  CreateShortcut "${STARTMENU}\Tevrin Help.lnk" "$INSTDIR\Tevrin.chm"
  CreateShortcut "${STARTMENU}\Uninstall Tevrin.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "Tevrin"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Tevrin.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; --- Uninstall -------------------------------------------------------------------------

Function un.onInit
  SetRegView ${OWN_VIEW}
  !insertmacro RefuseWhileRunning "un." "$INSTDIR" "uninstall"
FunctionEnd

; Tevrin's own registrations (the Env server, a per-user wrappers registration), removed
; by the program that wrote them while it is still there.
!macro RunUnregister FOLDER
  ${If} ${FileExists} "${FOLDER}\Tevrin.exe"
    ClearErrors
    ExecWait '"${FOLDER}\Tevrin.exe" /unregister' $0
    ${If} ${Errors}
      DetailPrint "${FOLDER}\Tevrin.exe could not start to remove its registrations"
    ${EndIf}
  ${EndIf}
!macroend

!macro UnregisterWrappers REGSVR FOLDER
  ${If} ${FileExists} "${FOLDER}\wrappers.dll"
    !insertmacro RunRegsvr32 "${REGSVR}" "/u /s" "${FOLDER}"
    ${If} $0 != 0
      DetailPrint "regsvr32 /u on ${FOLDER}\wrappers.dll ended with '$0'"
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all

  !insertmacro RunUnregister "$INSTDIR"
  !if "${TARGET}" == "win64"
    !insertmacro RunUnregister "$INSTDIR\x86"
    !insertmacro UnregisterWrappers "$SYSDIR\regsvr32.exe" "$INSTDIR"
    !insertmacro UnregisterWrappers "${REGSVR32_X86}" "$INSTDIR\x86"
  !else
    !insertmacro UnregisterWrappers "${REGSVR32_X86}" "$INSTDIR"
  !endif
  ; The uninstaller's own working folder must not be one it removes.
  SetOutPath "$TEMP"

  !insertmacro ForEachReleaseFile RemoveReleaseFile "" "$INSTDIR"
  !if "${TARGET}" == "win64"
    !insertmacro ForEachReleaseFile RemoveReleaseFile "" "$INSTDIR\x86"
    RMDir "$INSTDIR\x86"
  !endif
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: whatever the user put in the folder stays, and the folder with it.
  RMDir "$INSTDIR"

  Delete "${STARTMENU}\Tevrin.lnk"
  !if "${TARGET}" == "win64"
    Delete "${STARTMENU}\Tevrin (32-bit).lnk"
  !endif
  Delete "${STARTMENU}\Tevrin Help.lnk"
  Delete "${STARTMENU}\Uninstall Tevrin.lnk"
  RMDir "${STARTMENU}"

  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
