; Tidewarden's installer: a per-user install into %LOCALAPPDATA%\Programs\Tidewarden, no
; administrator rights. Built by installer/CMakeLists.txt, which defines:
;   TW_VERSION  the project's version (x.y.z)
;   TW_BITS     32 or 64
;   TW_FOLDER   the program folder to pack (dist/<preset>/Tidewarden)
;   TW_ICON     the program's icon
;   TW_OUTFILE  the setup program to write
;   TW_SIGN_UNINSTALLER  (when a key is given) the command that signs the uninstaller
; Command line, besides NSIS's own /S and /D=: /STARTUP=1 or /STARTUP=0 chooses the start-up
; option without the components page.

!if ${TW_BITS} == 64
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
; The files' times are not packed: the build machine's would make every build's bytes differ.
SetDateSave off
!ifdef TW_SIGN_UNINSTALLER
  !uninstfinalize '${TW_SIGN_UNINSTALLER} "%1"' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define TW_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewarden"
!define TW_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TW_RUN_VALUE "Tidewarden"
!define TW_MENU_FOLDER "$SMPROGRAMS\Tidewarden"
!define TW_MAIN_CLASS "TidewardenMain"
!define TW_MAIN_CAPTION "Tidewarden "
!define TW_TOOL_CAPTION "Tidewardenツールの設定"
!define TW_UNINSTALLER "uninstall.exe"

Name "Tidewarden"
OutFile "${TW_OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tidewarden"
; An update goes where the installed copy is, even if that was chosen with /D=.
InstallDirRegKey HKCU "${TW_UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tidewarden ${TW_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${TW_VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "Tidewarden"
VIAddVersionKey /LANG=1041 "ProductVersion" "${TW_VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${TW_VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "Tidewarden セットアップ"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Tidewarden"

!define MUI_ICON "${TW_ICON}"
!define MUI_UNICON "${TW_ICON}"
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_WELCOMEPAGE_TEXT "Tidewarden ${TW_VERSION} をこのコンピューターにインストールします。$\r$\n$\r$\nインストール先は自分のユーザー用のフォルダー（$INSTDIR）で、管理者の権限は要りません。$\r$\n$\r$\n更新のときは、動いている Tidewarden とツールの設定ウィンドウを閉じてからファイルを置き換えます。設定ファイル（Tidewarden.ini、Marrowgate.ini、Process.ini、Process2.ini）はそのまま残ります。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Tidewarden のインストールが終わりました。$\r$\n$\r$\nスタートメニューの「Tidewarden」から起動できます。アンインストールは Windows の「設定」→「アプリ」から行えます。$\r$\n$\r$\n「完了」を押すとセットアップを閉じます。"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

Var WasRunning   ; 1 when this install ended a running Tidewarden

; ---------------------------------------------------------------------------------------------
; Ending the running programs, shared by the installer and the uninstaller.

!macro TW_PROGRAM_FUNCTIONS UN
; Asks the program that owns a window of class $R1 (empty: any) and caption $R2 to end through
; its own exit path: WM_CLOSE, which Tidewarden takes as its "end" command (it removes its tray
; icon first) and Marrowgate as closing its window. Never kills: a program that stays is left
; running. $R0 out: "none" (not running), "ended", or "stuck" (still there after a few seconds).
Function ${UN}twCloseProgram
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  Push $R7
  StrCpy $R0 none
  ; More than one round: a second copy (another folder) may own a window of the same name.
  ${For} $R7 1 3
    ${If} $R1 == ""
      System::Call 'user32::FindWindowW(p 0, w R2) p .R3'
    ${Else}
      System::Call 'user32::FindWindowW(w R1, w R2) p .R3'
    ${EndIf}
    ${If} $R3 == 0
      ${Break}
    ${EndIf}
    StrCpy $R0 ended
    StrCpy $R4 0
    System::Call 'user32::GetWindowThreadProcessId(p R3, *i .R4) i'
    ; SYNCHRONIZE: enough to wait for the process to be gone, its files released.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R4) p .R5'
    SendMessage $R3 ${WM_CLOSE} 0 0 /TIMEOUT=3000
    ${If} $R5 != 0
      System::Call 'kernel32::WaitForSingleObject(p R5, i 6000) i .R6'
      System::Call 'kernel32::CloseHandle(p R5)'
    ${Else}
      ; Without a handle, the window going away is the best sign there is.
      ${For} $R6 1 60
        System::Call 'user32::IsWindow(p R3) i .R4'
        ${If} $R4 == 0
          ${Break}
        ${EndIf}
        Sleep 100
      ${Next}
      ${If} $R4 == 0
        StrCpy $R6 0
      ${EndIf}
    ${EndIf}
    ${If} $R6 != 0
      StrCpy $R0 stuck
      ${Break}
    ${EndIf}
  ${Next}
  Pop $R7
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
FunctionEnd

; Ends Marrowgate and Tidewarden; asks the user to end one that does not go (retry or cancel;
; a silent run gives up). $R0 out: "ended" when Tidewarden was running, else "none".
Function ${UN}twEndPrograms
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R3 none
  ${Do}
    StrCpy $R1 ""
    StrCpy $R2 "${TW_TOOL_CAPTION}"
    DetailPrint "ツールの設定ウィンドウが開いていれば閉じます"
    Call ${UN}twCloseProgram
    ${If} $R0 != stuck
      StrCpy $R1 "${TW_MAIN_CLASS}"
      StrCpy $R2 "${TW_MAIN_CAPTION}"
      DetailPrint "Tidewarden が動いていれば終了します"
      Call ${UN}twCloseProgram
      StrCpy $R3 $R0
    ${EndIf}
    ${If} $R0 != stuck
      ; Scrubwright, started by Tidewarden, ends by itself within seconds: wait until the
      ; programs' files can be written, so none of them is skipped as "in use".
      Call ${UN}twWaitFilesFree
    ${EndIf}
    ${If} $R0 != stuck
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tidewarden（またはツールの設定ウィンドウ）を終了できませんでした。$\r$\n開いているウィンドウやメッセージを閉じ、通知領域のメニューから「終了」を選んでから［再試行］を押してください。" /SD IDCANCEL IDRETRY +2
    Abort "Tidewarden が終了しなかったため中止しました。"
  ${Loop}
  ${If} $R3 == ended
    StrCpy $R0 ended
  ${Else}
    StrCpy $R0 none
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd

; $R0 out: "stuck" when a program file stays in use for ten seconds, else unchanged.
Function ${UN}twWaitFilesFree
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  ${For} $R1 1 3
    ${If} $R1 == 1
      StrCpy $R2 "$INSTDIR\Tidewarden.exe"
    ${ElseIf} $R1 == 2
      StrCpy $R2 "$INSTDIR\Marrowgate.exe"
    ${Else}
      StrCpy $R2 "$INSTDIR\Scrubwright\Scrubwright.exe"
    ${EndIf}
    StrCpy $R5 free
    ${If} ${FileExists} $R2
      StrCpy $R5 busy
      ${For} $R3 1 50
        ClearErrors
        FileOpen $R4 $R2 a
        ${IfNot} ${Errors}
          FileClose $R4
          StrCpy $R5 free
          ${Break}
        ${EndIf}
        Sleep 200
      ${Next}
    ${EndIf}
    ${If} $R5 == busy
      DetailPrint "使用中のままです: $R2"
      StrCpy $R0 stuck
    ${EndIf}
  ${Next}
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd
!macroend

!insertmacro TW_PROGRAM_FUNCTIONS ""
!insertmacro TW_PROGRAM_FUNCTIONS "un."

; ---------------------------------------------------------------------------------------------
; Installer

Section "Tidewarden（必須）" SecProgram
  SectionIn RO
  Call twEndPrograms
  StrCpy $WasRunning 0
  ${If} $R0 == ended
    StrCpy $WasRunning 1
  ${EndIf}

  ; Only the programs are packed: the settings files beside them are the user's and are never
  ; written here.
  ClearErrors
  SetOverwrite on
  SetOutPath "$INSTDIR"
  File "${TW_FOLDER}\Tidewarden.exe"
  File "${TW_FOLDER}\Marrowgate.exe"
  SetOutPath "$INSTDIR\Scrubwright"
  File "${TW_FOLDER}\Scrubwright\Scrubwright.exe"
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    ; A file left as it was would mix two versions.
    MessageBox MB_ICONSTOP "プログラムのファイルを書き込めませんでした。$\r$\nインストールを中止します。" /SD IDOK
    Abort "ファイルを書き込めませんでした。"
  ${EndIf}
  WriteUninstaller "$INSTDIR\${TW_UNINSTALLER}"

  CreateDirectory "${TW_MENU_FOLDER}"
  CreateShortCut "${TW_MENU_FOLDER}\Tidewarden.lnk" "$INSTDIR\Tidewarden.exe" "" \
    "$INSTDIR\Tidewarden.exe" 0 SW_SHOWNORMAL "" "通知領域で空きメモリーを見守ります"
  CreateShortCut "${TW_MENU_FOLDER}\${TW_TOOL_CAPTION}.lnk" "$INSTDIR\Marrowgate.exe" "" \
    "$INSTDIR\Marrowgate.exe" 0 SW_SHOWNORMAL "" "音量の段階と左クリックの動作を選びます"

  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "DisplayName" "Tidewarden"
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "DisplayVersion" "${TW_VERSION}"
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "Publisher" "Tidewarden Project"
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${TW_UNINSTALLER}"'
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${TW_UNINSTALLER}" /S'
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${TW_UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tidewarden.exe,0"
  WriteRegDWORD HKCU "${TW_UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${TW_UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${TW_UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The per-user Run key, not a shortcut in the Startup folder: one value naming the installed
; program is all there is to write, to check and to take away again; it cannot be left behind
; pointing elsewhere when the Startup folder is moved or redirected, and Windows' start-up
; settings (Task Manager, Settings > Apps > Startup) turn it off and on without deleting it.
Section "Windowsの起動時にTidewardenを開始する" SecStartup
  WriteRegStr HKCU "${TW_RUN_KEY}" "${TW_RUN_VALUE}" '"$INSTDIR\Tidewarden.exe"'
SectionEnd

Section "-Start Tidewarden"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    DeleteRegValue HKCU "${TW_RUN_KEY}" "${TW_RUN_VALUE}"
  ${EndIf}
  ; Running again if it was running, and now rather than at the next sign-in when it is to
  ; start with Windows.
  ${If} $WasRunning == 1
  ${OrIf} ${SectionIsSelected} ${SecStartup}
    DetailPrint "Tidewarden を起動します"
    Exec '"$INSTDIR\Tidewarden.exe"'
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Tidewarden、ツールの設定（Marrowgate）、メモリー解放の補助プログラム（Scrubwright）と、スタートメニューの項目です。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "Windows にサインインしたときに Tidewarden を自動で起動します。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; The start-up option starts as it was left: on for a first install, and on an update only
  ; if the installed copy is set to start with Windows.
  ReadRegStr $0 HKCU "${TW_UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ClearErrors
    ReadRegStr $1 HKCU "${TW_RUN_KEY}" "${TW_RUN_VALUE}"
    ${If} ${Errors}
      !insertmacro UnselectSection ${SecStartup}
    ${EndIf}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP=" $1
  ${IfNot} ${Errors}
    ${If} $1 == 0
      !insertmacro UnselectSection ${SecStartup}
    ${Else}
      !insertmacro SelectSection ${SecStartup}
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------------
; Uninstaller

Section "Uninstall"
  Call un.twEndPrograms

  Delete "$INSTDIR\Tidewarden.exe"
  Delete "$INSTDIR\Marrowgate.exe"
  Delete "$INSTDIR\Scrubwright\Scrubwright.exe"
  RMDir "$INSTDIR\Scrubwright"
  ; Tidewarden's note of its window, written at each start: not a setting.
  Delete "$INSTDIR\hwnd.tmp"

  Delete "${TW_MENU_FOLDER}\Tidewarden.lnk"
  Delete "${TW_MENU_FOLDER}\${TW_TOOL_CAPTION}.lnk"
  RMDir "${TW_MENU_FOLDER}"
  DeleteRegValue HKCU "${TW_RUN_KEY}" "${TW_RUN_VALUE}"

  ${If} ${FileExists} "$INSTDIR\Tidewarden.ini"
  ${OrIf} ${FileExists} "$INSTDIR\Marrowgate.ini"
  ${OrIf} ${FileExists} "$INSTDIR\Process.ini"
  ${OrIf} ${FileExists} "$INSTDIR\Process2.ini"
    ; A silent uninstall keeps them: settings are only ever removed on the user's word.
    MessageBox MB_YESNO|MB_ICONQUESTION "設定ファイルを残しますか？$\r$\n$\r$\n［はい］残します。もう一度インストールすると、その設定で動きます。$\r$\n［いいえ］削除します。$\r$\n$\r$\n設定ファイル: Tidewarden.ini、Marrowgate.ini、Process.ini、Process2.ini$\r$\n場所: $INSTDIR" /SD IDYES IDYES keep
    Delete "$INSTDIR\Tidewarden.ini"
    Delete "$INSTDIR\Marrowgate.ini"
    Delete "$INSTDIR\Process.ini"
    Delete "$INSTDIR\Process2.ini"
    keep:
  ${EndIf}

  Delete "$INSTDIR\${TW_UNINSTALLER}"
  ; Not /r: whatever else the user put in the folder stays, and with it the folder.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${TW_UNINSTALL_KEY}"
SectionEnd
