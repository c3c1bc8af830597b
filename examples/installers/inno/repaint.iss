; A repaint installer and uninstaller for Flight Simulator X, built with Inno
; Setup 6.4 or later and Fuselox: the same installer as ../nsis/repaint.nsi. It
; installs the sample repaint in examples/repaint ("Fuselox C172 Skyhawk
; Sunset") into the aircraft folder Fuselox_C172; copy it and change the
; defines below for your own repaint.
;
; Build: iscc /DFuseloxExe=path\to\fuselox.exe repaint.iss
; Install without questions: setup.exe /VERYSILENT /SUPPRESSMSGBOXES.
; Not built or run by the project's CI: see README.md beside this file.
;
; How it talks to Fuselox: ExecAndCaptureOutput (like Exec) returns whether
; the program started at all, and ResultCode holds its exit code only when it
; did; after a failed start ResultCode is a Windows error code, and error 1
; would look like Fuselox's success. So success is Started and (ResultCode = 1).
; Standard output and standard error come back apart, as arrays of lines
; without line ends: the result line is StdOut[0] and, with FUSELOX_VERBOSE=1,
; the reason for a failure is StdErr[0].

#if Ver < EncodeVer(6, 4, 0)
  #error Inno Setup 6.4 or later is needed (ExecAndCaptureOutput)
#endif
#ifndef FuseloxExe
  #define FuseloxExe "fuselox.exe"
#endif
; The repaint (fltsim.cfg and its texture folder), the aircraft folder's name
; and the title= of the repaint's section.
#define RepaintFiles "..\..\repaint"
#define Aircraft "Fuselox_C172"
#define Title "Fuselox C172 Skyhawk Sunset"
#define Name "Fuselox C172 Sunset repaint"

[Setup]
AppId=Fuselox C172 Sunset
AppName={#Name}
AppVersion=1.0
; The uninstaller and its fuselox.exe go into the simulator folder, found by
; InitializeSetup below.
DefaultDirName={code:SimFolder}Fuselox repaints\Fuselox C172 Sunset
DisableDirPage=yes
DisableProgramGroupPage=yes
; aircraft.cfg usually lives below Program Files, which only an elevated
; process may change. The consent prompt keeps the same user, so the
; simulator's registry value (HKEY_CURRENT_USER) is still found.
PrivilegesRequired=admin
; fuselox.exe is a 64-bit program.
ArchitecturesAllowed=x64compatible
ArchitecturesInstallIn64BitMode=x64compatible
OutputBaseFilename=Fuselox C172 Sunset setup

[Files]
; Installed for the uninstaller; Setup also runs a temporary copy of it
; before anything is installed.
Source: "{#FuseloxExe}"; DestDir: "{app}"; Flags: ignoreversion
; The repaint is not copied by Setup: PrepareToInstall extracts it to a
; temporary folder and Fuselox installs it from there, texture folder included.
Source: "{#RepaintFiles}\*"; DestDir: "{tmp}\repaint"; Flags: dontcopy noencryption recursesubdirs

[Code]
var
  Fuselox: String;   // the fuselox.exe that RunFuselox runs
  FsxPath: String;   // the simulator folder, e.g. 'C:\FSX\'

// A failing command writes its reason to standard error when this is set.
function SetEnvironmentVariable(lpName, lpValue: String): BOOL;
  external 'SetEnvironmentVariableW@kernel32.dll stdcall';

// Runs fuselox.exe and waits. False when it did not start; ExitCode is then
// a Windows error code, not Fuselox's.
function RunFuselox(const Params: String; var ExitCode: Integer;
  var Output: TExecOutput): Boolean;
begin
  Result := ExecAndCaptureOutput(Fuselox, Params, '', SW_SHOWNORMAL,
    ewWaitUntilTerminated, ExitCode, Output);
end;

// True when fuselox.exe started and exited with 1, its success code. Lines
// receives its standard output; on failure Reason says why.
function FuseloxSucceeds(const Params: String; var Lines: TArrayOfString;
  var Reason: String): Boolean;
var
  Started: Boolean;
  ExitCode: Integer;
  Output: TExecOutput;
begin
  Started := RunFuselox(Params, ExitCode, Output);
  Result := Started and (ExitCode = 1);
  Lines := Output.StdOut;
  if Result then
    Reason := ''
  else if not Started then
    Reason := 'fuselox.exe could not be started: ' + SysErrorMessage(ExitCode)
  else if GetArrayLength(Output.StdErr) > 0 then
    Reason := Output.StdErr[0]
  else
    Reason := 'fuselox.exe failed.';
end;

function SimFolder(Param: String): String;
begin
  Result := FsxPath;
end;

// Everything is checked before the wizard shows and before anything is
// copied: the simulator, the aircraft, and whether the repaint is installed
// already. Returning False ends Setup (exit code 1).
function InitializeSetup: Boolean;
var
  Lines: TArrayOfString;
  Reason: String;
  ExitCode: Integer;
  Output: TExecOutput;
begin
  Result := False;
  ExtractTemporaryFile('fuselox.exe');
  Fuselox := ExpandConstant('{tmp}\fuselox.exe');
  SetEnvironmentVariable('FUSELOX_VERBOSE', '1');

  // The simulator folder, from its registry value: StdOut[0], e.g. 'C:\FSX\'.
  if not FuseloxSucceeds('PRINT_PATH_FSX', Lines, Reason) then begin
    SuppressibleMsgBox('Flight Simulator X was not found.' + #13#10#13#10 + Reason,
      mbCriticalError, MB_OK, IDOK);
    Exit;
  end;
  FsxPath := AddBackslash(Lines[0]);

  if not FuseloxSucceeds('VERIFY_AIRCRAFT "{#Aircraft}"', Lines, Reason) then begin
    SuppressibleMsgBox('This repaint needs the aircraft {#Aircraft}.' + #13#10#13#10 + Reason,
      mbCriticalError, MB_OK, IDOK);
    Exit;
  end;

  // VERIFY_TITLE exits with 1 when the title is there and 0 when not.
  if not RunFuselox('VERIFY_TITLE "{#Aircraft}" "{#Title}"', ExitCode, Output) then begin
    SuppressibleMsgBox('fuselox.exe could not be started: ' + SysErrorMessage(ExitCode),
      mbCriticalError, MB_OK, IDOK);
    Exit;
  end;
  if ExitCode = 1 then begin
    SuppressibleMsgBox('{#Title} is installed already. Uninstall it first.',
      mbError, MB_OK, IDOK);
    Exit;
  end;
  Result := True;
end;

// Called after the user confirmed and before Setup copies any file: a
// non-empty result stops Setup with that message (exit code 7 when silent).
function PrepareToInstall(var NeedsRestart: Boolean): String;
var
  Lines: TArrayOfString;
  Reason: String;
begin
  Result := '';
  ExtractTemporaryFiles('{tmp}\repaint\*');
  // Success prints 'NOERROR-1' (1 = the sections in fltsim.cfg); the exit
  // code alone decides.
  if not FuseloxSucceeds('INSTALL_VARIANT "{#Aircraft}" "' +
      ExpandConstant('{tmp}\repaint\fltsim.cfg') + '" /COPY_TEXTURE_FOLDERS', Lines, Reason) then
    Result := 'The repaint could not be installed.' + #13#10#13#10 + Reason;
end;

// Before the uninstaller removes its files: the repaint's lines go
// (/REMOVAL_DESTRUCTIVE; without it they stay as comments) with its texture
// folder. Abort here ends the uninstall with nothing removed.
procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
var
  Lines: TArrayOfString;
  Reason: String;
begin
  if CurUninstallStep <> usUninstall then
    Exit;
  Fuselox := ExpandConstant('{app}\fuselox.exe');
  SetEnvironmentVariable('FUSELOX_VERBOSE', '1');
  if not FuseloxSucceeds('REMOVE_VARIANT_BY_TITLE "{#Aircraft}" "{#Title}" ' +
      '/REMOVAL_DESTRUCTIVE /REMOVAL_DELETETEXTUREFOLDER', Lines, Reason) then begin
    // The aircraft may be gone, or the repaint removed by hand: the user
    // decides whether the uninstaller itself should still go.
    if SuppressibleMsgBox('The repaint could not be removed.' + #13#10#13#10 + Reason +
        #13#10#13#10 + 'Remove the uninstaller anyway?',
        mbConfirmation, MB_YESNO, IDNO) <> IDYES then
      Abort;
  end;
end;
