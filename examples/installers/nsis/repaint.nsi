; A repaint installer and uninstaller for Flight Simulator X and its family
; (FSX Steam Edition, Prepar3D v3 to v6), built with NSIS 3 and Fuselox. It
; installs the sample repaint in examples/repaint ("Fuselox C172 Skyhawk
; Sunset") into the aircraft folder Fuselox_C172 of every simulator that has
; it; copy it and change the defines below for your own repaint.
;
; Build (Windows or Linux):
;   makensis -DFUSELOX_EXE=path\to\fuselox.exe repaint.nsi
; Install without questions: setup.exe /S. Uninstall: "Uninstall.exe" /S; it
; returns at once and finishes in the background (see README.md).
;
; How it talks to Fuselox: nsExec::ExecToStack runs fuselox.exe without a
; console window and leaves two values on the stack: first the exit code, or the
; word "error" when the program could not start at all, then its output.
; Fuselox exits with 1 on success and 0 on failure, so success is exactly
; $0 == "1": a test such as $0 != 0 would take "error" for success.

Unicode true
; NSIS's default stub is 32-bit; a 64-bit stub also starts on systems without
; 32-bit support (such as a 64-bit-only Wine). fuselox.exe is 64-bit anyway.
Target amd64-unicode

!include LogicLib.nsh

!ifndef FUSELOX_EXE
  !define FUSELOX_EXE "fuselox.exe"
!endif
!ifndef OUTFILE
  !define OUTFILE "Fuselox C172 Sunset setup.exe"
!endif
!define REPAINT_FILES "..\..\repaint"      ; fltsim.cfg and texture.${TEXTURE}
!define AIRCRAFT "Fuselox_C172"            ; the aircraft folder's name
!define TITLE "Fuselox C172 Skyhawk Sunset" ; title= of the repaint's section
!define TEXTURE "Fuselox_Sunset"           ; texture= of the repaint's section
!define NAME "Fuselox C172 Sunset repaint"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Fuselox C172 Sunset"

Name "${NAME}"
OutFile "${OUTFILE}"
; aircraft.cfg usually lives below Program Files, which only an elevated
; process may change. The consent prompt keeps the same user, so the
; simulator's registry value (HKEY_CURRENT_USER) is still found.
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Output ; what fuselox.exe printed, without its final line feed
Var Simulators ; the switches of the simulators that get the repaint, each followed by a blank
Var Item ; what PopItem took off the front of $R0

!macro Fuselox EXE ARGS
  nsExec::ExecToStack '"${EXE}" ${ARGS}'
  Pop $0
  Pop $Output
  StrCpy $1 $Output 1 -1
  ${If} $1 == "$\n"
    StrCpy $Output $Output -1
  ${EndIf}
!macroend

; With FUSELOX_VERBOSE=1 a failing command also writes its reason to standard
; error, which nsExec hands back mixed into the same text, after the result
; line: on failure $Output reads "ERROR$\nfuselox: <reason>", the very text to
; show. Successful commands write nothing there, so their output stays clean.
!macro FuseloxVerbose
  System::Call 'kernel32::SetEnvironmentVariable(t "FUSELOX_VERBOSE", t "1")'
!macroend

; PopItem (installer) and un.PopItem (uninstaller): takes the text before the
; first $R9 (a line feed, a tab, a blank) off the front of $R0 into $Item.
!macro PopItem UN
  Function ${UN}PopItem
    StrCpy $2 0
    loop:
      StrCpy $3 $R0 1 $2
      StrCmp $3 "" found
      StrCmp $3 $R9 found
      IntOp $2 $2 + 1
      Goto loop
    found:
      StrCpy $Item $R0 $2
      IntOp $2 $2 + 1
      StrCpy $R0 $R0 "" $2
  FunctionEnd
!macroend
!insertmacro PopItem ""
!insertmacro PopItem "un."

; Everything is checked before anything is copied: the simulators, the
; aircraft in each, and whether the repaint is installed already.
Function .onInit
  InitPluginsDir
  File "/oname=$PLUGINSDIR\fuselox.exe" "${FUSELOX_EXE}"
  !insertmacro FuseloxVerbose

  ; One line per installed simulator: its switch, a tab and its folder, e.g.
  ; "/SIMULATOR_P3D_V5<tab>C:\Prepar3D v5\". None: exit code 0.
  !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" "DUMP_ALL_SIMULATORS"
  ${If} $0 != "1"
    MessageBox MB_ICONSTOP "No flight simulator of the FSX family was found.$\n$\n$Output" /SD IDOK
    Abort
  ${EndIf}
  StrCpy $R0 $Output
  StrCpy $Simulators ""
  ${Do}
    StrCpy $R9 "$\n"
    Call PopItem
    ${If} $Item == ""
      ${ExitDo}
    ${EndIf}
    StrCpy $R1 $R0 ; the lines still to come
    StrCpy $R0 $Item
    StrCpy $R9 "$\t"
    Call PopItem
    StrCpy $R2 $Item ; the switch
    StrCpy $R3 $R0   ; the simulator folder
    StrCpy $R0 $R1
    ; Simulators without the aircraft are passed over.
    !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" 'VERIFY_AIRCRAFT "${AIRCRAFT}" $R2'
    ${If} $0 != "1"
      ${Continue}
    ${EndIf}
    ; VERIFY_TITLE succeeds (1) when the title is there, fails (0) when not;
    ; anything else means fuselox.exe did not run.
    !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" 'VERIFY_TITLE "${AIRCRAFT}" "${TITLE}" $R2'
    ${If} $0 == "1"
      MessageBox MB_ICONEXCLAMATION "${TITLE} is installed already. Uninstall it first." /SD IDOK
      Abort
    ${ElseIf} $0 != "0"
      MessageBox MB_ICONSTOP "fuselox.exe could not be run ($0)." /SD IDOK
      Abort
    ${EndIf}
    ; The uninstaller and its copy of fuselox.exe go into the first such
    ; simulator's folder (which may or may not end in a backslash).
    ${If} $Simulators == ""
      StrCpy $1 $R3 1 -1
      ${If} $1 == "\"
        StrCpy $R3 $R3 -1
      ${EndIf}
      StrCpy $INSTDIR "$R3\Fuselox repaints\Fuselox C172 Sunset"
    ${EndIf}
    StrCpy $Simulators "$Simulators$R2 "
  ${Loop}
  ${If} $Simulators == ""
    MessageBox MB_ICONSTOP "This repaint needs the aircraft ${AIRCRAFT}." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

Section "Repaint"
  ; The repaint goes to the temporary plug-ins folder; Fuselox copies the
  ; texture folder beside fltsim.cfg into the aircraft folder.
  SetOutPath "$PLUGINSDIR\repaint"
  File "${REPAINT_FILES}\fltsim.cfg"
  File /r "${REPAINT_FILES}\texture.${TEXTURE}"
  SetOutPath "$PLUGINSDIR"

  StrCpy $R0 $Simulators
  StrCpy $R5 "" ; the simulators done so far
  ${Do}
    StrCpy $R9 " "
    Call PopItem
    ${If} $Item == ""
      ${ExitDo}
    ${EndIf}
    DetailPrint "Adding ${TITLE} to ${AIRCRAFT} ($Item)"
    !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" \
        'INSTALL_VARIANT "${AIRCRAFT}" "$PLUGINSDIR\repaint\fltsim.cfg" /COPY_TEXTURE_FOLDERS $Item'
    ; Success prints "NOERROR-1" (1 = the sections in fltsim.cfg); the exit
    ; code alone decides.
    ${If} $0 != "1"
      ; Take it out of the simulators done so far, so that nothing is left
      ; without an uninstaller.
      StrCpy $R6 $Output
      StrCpy $R0 $R5
      ${Do}
        Call PopItem
        ${If} $Item == ""
          ${ExitDo}
        ${EndIf}
        !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" \
            'REMOVE_VARIANT_BY_TITLE "${AIRCRAFT}" "${TITLE}" /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER $Item'
      ${Loop}
      MessageBox MB_ICONSTOP "The repaint could not be installed.$\n$\n$R6" /SD IDOK
      Abort ; the installer ends with exit code 2
    ${EndIf}
    StrCpy $R5 "$R5$Item "
  ${Loop}

  ; Only now, with the repaint in place: the uninstaller and its fuselox.exe,
  ; and the simulators it removes the repaint from.
  SetOutPath "$INSTDIR"
  File "/oname=fuselox.exe" "${FUSELOX_EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "FuseloxSimulators" $Simulators
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro FuseloxVerbose
  ; /REMOVAL_DESTRUCTIVE drops the repaint's lines (without it they stay as
  ; comments); /REMOVAL_DELETETEXTUREFOLDER deletes texture.${TEXTURE}.
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "FuseloxSimulators"
  StrCpy $R8 "" ; what could not be removed
  ${Do}
    StrCpy $R9 " "
    Call un.PopItem
    ${If} $Item == ""
      ${ExitDo}
    ${EndIf}
    DetailPrint "Removing ${TITLE} from ${AIRCRAFT} ($Item)"
    !insertmacro Fuselox "$INSTDIR\fuselox.exe" \
        'REMOVE_VARIANT_BY_TITLE "${AIRCRAFT}" "${TITLE}" /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER $Item'
    ${If} $0 != "1"
      StrCpy $R8 "$R8$Item: $Output$\n"
    ${EndIf}
  ${Loop}
  ${If} $R8 != ""
    ; The aircraft may be gone, or the repaint removed by hand: let the user
    ; decide whether the uninstaller itself should still go.
    MessageBox MB_YESNO|MB_ICONEXCLAMATION \
        "The repaint could not be removed everywhere.$\n$\n$R8$\nRemove the uninstaller anyway?" \
        /SD IDNO IDYES remove_anyway
    Abort
  ${EndIf}
  remove_anyway:
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\fuselox.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$INSTDIR\.." ; "Fuselox repaints", when no other repaint uses it
SectionEnd
