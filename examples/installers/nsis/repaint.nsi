; A repaint installer and uninstaller for Flight Simulator X, built with NSIS 3
; and Fuselox. It installs the sample repaint in examples/repaint ("Fuselox C172
; Skyhawk Sunset") into the aircraft folder Fuselox_C172; copy it and change the
; defines below for your own repaint.
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

; Runs fuselox.exe with ARGS: the exit code (or "error") in $0, and the output
; in $Output. Fuselox ends its result lines with a bare line feed ($\n), so
; "NOERROR" arrives as "NOERROR$\n": it is trimmed here, once, so that every
; comparison below can be written with the plain text.
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

; Everything is checked before anything is copied: the simulator, the
; aircraft, and whether the repaint is installed already.
Function .onInit
  InitPluginsDir
  File "/oname=$PLUGINSDIR\fuselox.exe" "${FUSELOX_EXE}"
  !insertmacro FuseloxVerbose

  ; The simulator folder, from its registry value, e.g. "C:\FSX\".
  !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" "PRINT_PATH_FSX"
  ${If} $0 != "1"
    MessageBox MB_ICONSTOP "Flight Simulator X was not found.$\n$\n$Output" /SD IDOK
    Abort
  ${EndIf}
  ; The uninstaller and its copy of fuselox.exe go into the simulator folder
  ; (the registry value may or may not end in a backslash).
  StrCpy $1 $Output 1 -1
  ${If} $1 == "\"
    StrCpy $Output $Output -1
  ${EndIf}
  StrCpy $INSTDIR "$Output\Fuselox repaints\Fuselox C172 Sunset"

  !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" 'VERIFY_AIRCRAFT "${AIRCRAFT}"'
  ${If} $0 != "1"
    MessageBox MB_ICONSTOP "This repaint needs the aircraft ${AIRCRAFT}.$\n$\n$Output" /SD IDOK
    Abort
  ${EndIf}

  ; VERIFY_TITLE succeeds (1) when the title is there, fails (0) when not;
  ; anything else means fuselox.exe did not run.
  !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" 'VERIFY_TITLE "${AIRCRAFT}" "${TITLE}"'
  ${If} $0 == "1"
    MessageBox MB_ICONEXCLAMATION "${TITLE} is installed already. Uninstall it first." /SD IDOK
    Abort
  ${ElseIf} $0 != "0"
    MessageBox MB_ICONSTOP "fuselox.exe could not be run ($0)." /SD IDOK
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

  DetailPrint "Adding ${TITLE} to ${AIRCRAFT}"
  !insertmacro Fuselox "$PLUGINSDIR\fuselox.exe" \
      'INSTALL_VARIANT "${AIRCRAFT}" "$PLUGINSDIR\repaint\fltsim.cfg" /COPY_TEXTURE_FOLDERS'
  ; Success prints "NOERROR-1" (1 = the sections in fltsim.cfg); the exit
  ; code alone decides.
  ${If} $0 != "1"
    MessageBox MB_ICONSTOP "The repaint could not be installed.$\n$\n$Output" /SD IDOK
    Abort ; the installer ends with exit code 2
  ${EndIf}

  ; Only now, with the repaint in place: the uninstaller and its fuselox.exe.
  SetOutPath "$INSTDIR"
  File "/oname=fuselox.exe" "${FUSELOX_EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro FuseloxVerbose
  ; /REMOVAL_DESTRUCTIVE drops the repaint's lines (without it they stay as
  ; comments); /REMOVAL_DELETETEXTUREFOLDER deletes texture.${TEXTURE}.
  DetailPrint "Removing ${TITLE} from ${AIRCRAFT}"
  !insertmacro Fuselox "$INSTDIR\fuselox.exe" \
      'REMOVE_VARIANT_BY_TITLE "${AIRCRAFT}" "${TITLE}" /REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER'
  ${If} $0 != "1"
    ; The aircraft may be gone, or the repaint removed by hand: let the user
    ; decide whether the uninstaller itself should still go.
    MessageBox MB_YESNO|MB_ICONEXCLAMATION \
        "The repaint could not be removed.$\n$\n$Output$\n$\nRemove the uninstaller anyway?" \
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
