; vg3setup.exe: the Windows installer of KORVA Vigil 3 for the example model. It unpacks the
; model's files into a folder of its own, lets vgsetup.exe install them for one printer (the
; installation folder, the Driver and Profile keys, the spooler's driver and printer), and
; registers an uninstaller in "Programs and Features" that lets vgsetup remove every printer
; it installed, then removes its own files and keys.
;
;   vg3setup.exe [/S] [/PRINTER=name] [/PORT=port] [/DRIVERFILE=file] [/D=folder]
;
; /S installs without a window and needs /PRINTER. An existing printer keeps its port; a new
; one goes on /PORT (LPT1: unless given). /DRIVERFILE names the printer driver file that the
; spooler's driver entry uses (vgsetup's default otherwise). Exit codes: 0 done, 1 the
; installation failed and was taken back, 2 the command line was wrong.
;
; makensis gets: BIN_DIR (the folder of the built files), OUT_FILE, VERSION (x.y.z) and
; ICON_FILE.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "KORVA Vigil 3"
!define MODEL "VP-100"
!define UNINSTALLER "vg3uninst.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KORVA Vigil 3"
; The printers this installer registered, one value each (name = port), so that the uninstaller
; removes exactly these.
!define PRINTERS_KEY "${UNINSTALL_KEY}\Printers"
!define DEFAULT_PORT "LPT1:"
; PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, and the size of PRINTER_INFO_2W on 32 bits.
!define PRINTER_ENUM_FLAGS 6
!define PRINTER_INFO_2_SIZE 84

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\KORVA\Vigil3"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "KORVA"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 KORVA"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "InternalName" "vg3setup"
VIAddVersionKey /LANG=1033 "OriginalFilename" "vg3setup.exe"

Var PrinterName
Var PrinterPort
Var DriverFile
Var PrinterCombo
Var PortText
Var KnownBefore  ; 1 when this installer had registered the printer before this run
Var WantedPrinter
Var FoundPort

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
Page custom PrinterPage PrinterPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer and the uninstaller speak the user's language when it is one of these, and
; English otherwise.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString WelcomeText ${LANG_ENGLISH} "This installs ${PRODUCT}, which watches your printer while you print and tells you when it needs you.$\r$\n$\r$\nOn the next page you choose the printer. The installation adds the ${MODEL} model's monitor, printer status library, status window and help to it.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_GERMAN} "Dieses Programm installiert ${PRODUCT}. Es überwacht Ihren Drucker, während Sie drucken, und meldet sich, wenn er Sie braucht.$\r$\n$\r$\nAuf der nächsten Seite wählen Sie den Drucker. Die Installation fügt ihm die Überwachung, die Druckerstatusbibliothek, das Statusfenster und die Hilfe des Modells ${MODEL} hinzu.$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren."
LangString FinishText ${LANG_ENGLISH} "${PRODUCT} now watches the printer $PrinterName. To remove it, use Programs and Features."
LangString FinishText ${LANG_GERMAN} "${PRODUCT} überwacht jetzt den Drucker $PrinterName. Zum Entfernen verwenden Sie „Programme und Features“."
LangString PrinterTitle ${LANG_ENGLISH} "Printer"
LangString PrinterTitle ${LANG_GERMAN} "Drucker"
LangString PrinterSubtitle ${LANG_ENGLISH} "Choose the ${MODEL} printer that ${PRODUCT} watches."
LangString PrinterSubtitle ${LANG_GERMAN} "Wählen Sie den Drucker ${MODEL}, den ${PRODUCT} überwacht."
LangString PrinterLabel ${LANG_ENGLISH} "&Printer: pick one of this computer's printers, or type the name of a new one."
LangString PrinterLabel ${LANG_GERMAN} "&Drucker: Wählen Sie einen Drucker dieses Computers, oder geben Sie den Namen eines neuen ein."
LangString PortLabel ${LANG_ENGLISH} "P&ort of a new printer (a printer of the list keeps its own):"
LangString PortLabel ${LANG_GERMAN} "&Anschluss eines neuen Druckers (ein Drucker der Liste behält seinen):"
LangString NeedPrinter ${LANG_ENGLISH} "Please choose a printer or type a name."
LangString NeedPrinter ${LANG_GERMAN} "Bitte wählen Sie einen Drucker, oder geben Sie einen Namen ein."
LangString NeedPort ${LANG_ENGLISH} "Please type the port of the new printer, for example LPT1:."
LangString NeedPort ${LANG_GERMAN} "Bitte geben Sie den Anschluss des neuen Druckers ein, zum Beispiel LPT1:."
LangString BadName ${LANG_ENGLISH} "A printer name and a port cannot contain quotation marks."
LangString BadName ${LANG_GERMAN} "Druckername und Anschluss dürfen keine Anführungszeichen enthalten."
LangString SetupFailed ${LANG_ENGLISH} "The printer could not be set up for ${PRODUCT}; the list of steps tells why. Nothing has been changed."
LangString SetupFailed ${LANG_GERMAN} "Der Drucker konnte nicht für ${PRODUCT} eingerichtet werden; die Liste der Schritte nennt den Grund. Es wurde nichts geändert."
LangString RemoveFailed ${LANG_ENGLISH} "The printer $0 could not be removed; the list of steps tells why. Its files and keys stay, and so does this uninstaller."
LangString RemoveFailed ${LANG_GERMAN} "Der Drucker $0 konnte nicht entfernt werden; die Liste der Schritte nennt den Grund. Seine Dateien und Schlüssel bleiben erhalten, ebenso dieses Deinstallationsprogramm."

; --- The printers of this computer -------------------------------------------------------

; Calls the function named by FUNCTION once per printer of the spooler with $R8 = its name
; and $R9 = its port; the function sets $R7 to 1 to stop. Keeps $0 to $9 and $R0 to $R6.
!macro ForEachPrinter FUNCTION
  Push $R0
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  StrCpy $R7 0
  System::Call 'winspool.drv::EnumPrintersW(i ${PRINTER_ENUM_FLAGS}, p 0, i 2, p 0, i 0, *i .R0, *i .R1)'
  ${If} $R0 > 0
    System::Alloc $R0
    Pop $R2
    System::Call 'winspool.drv::EnumPrintersW(i ${PRINTER_ENUM_FLAGS}, p 0, i 2, p R2, i R0, *i .R0, *i .R1) i .R3'
    ${If} $R3 <> 0
      StrCpy $R3 0
      ${DoWhile} $R3 < $R1
        IntOp $R4 $R3 * ${PRINTER_INFO_2_SIZE}
        IntOp $R4 $R4 + $R2
        System::Call '*$R4(p, w .R8, p, w .R9)'
        Call ${FUNCTION}
        ${If} $R7 = 1
          ${Break}
        ${EndIf}
        IntOp $R3 $R3 + 1
      ${Loop}
    ${EndIf}
    System::Free $R2
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
!macroend

Function AddPrinterToCombo
  SendMessage $PrinterCombo ${CB_ADDSTRING} 0 "STR:$R8"
FunctionEnd

; With $R8 and $R9 of ForEachPrinter: notes the port of the printer named $WantedPrinter.
Function NotePortOfWantedPrinter
  ${If} $R8 == $WantedPrinter
    StrCpy $FoundPort $R9
    StrCpy $R7 1
  ${EndIf}
FunctionEnd

; $FoundPort = the port of the spooler's printer named $WantedPrinter, or "" when there is none.
Function FindPrinterPort
  Push $R7
  Push $R8
  Push $R9
  StrCpy $FoundPort ""
  !insertmacro ForEachPrinter NotePortOfWantedPrinter
  Pop $R9
  Pop $R8
  Pop $R7
FunctionEnd

; --- Command line -------------------------------------------------------------------------

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PRINTER=" $PrinterName
  ${GetOptions} $0 "/PORT=" $PrinterPort
  ${GetOptions} $0 "/DRIVERFILE=" $DriverFile
  ClearErrors
  ${If} ${Silent}
    ${If} $PrinterName == ""
      SetErrorLevel 2
      Quit
    ${EndIf}
    Call CheckNames
    ${If} ${Errors}
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Sets the error flag when the printer name or the port holds a quotation mark, which would
; end an argument of vgsetup's command line early.
Function CheckNames
  Push $0
  Push $1
  Push $2
  StrCpy $0 "$PrinterName$PrinterPort$DriverFile"
  StrLen $1 $0
  ${DoWhile} $1 > 0
    IntOp $1 $1 - 1
    StrCpy $2 $0 1 $1
    ${If} $2 == '"'
      SetErrors
    ${EndIf}
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; --- The printer page ---------------------------------------------------------------------

Function PrinterPage
  !insertmacro MUI_HEADER_TEXT "$(PrinterTitle)" "$(PrinterSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 20u "$(PrinterLabel)"
  Pop $0
  ${NSD_CreateComboBox} 0 22u 100% 80u "$PrinterName"
  Pop $PrinterCombo
  Push $R7
  Push $R8
  Push $R9
  !insertmacro ForEachPrinter AddPrinterToCombo
  Pop $R9
  Pop $R8
  Pop $R7
  ${NSD_CreateLabel} 0 46u 100% 10u "$(PortLabel)"
  Pop $0
  ${If} $PrinterPort == ""
    StrCpy $PrinterPort "${DEFAULT_PORT}"
  ${EndIf}
  ${NSD_CreateText} 0 58u 40% 12u "$PrinterPort"
  Pop $PortText
  nsDialogs::Show
FunctionEnd

Function PrinterPageLeave
  ${NSD_GetText} $PrinterCombo $PrinterName
  ${NSD_GetText} $PortText $PrinterPort
  ${If} $PrinterName == ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(NeedPrinter)"
    Abort
  ${EndIf}
  StrCpy $WantedPrinter $PrinterName
  Call FindPrinterPort
  ${If} $FoundPort == ""
  ${AndIf} $PrinterPort == ""
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(NeedPort)"
    Abort
  ${EndIf}
  ClearErrors
  Call CheckNames
  ${If} ${Errors}
    MessageBox MB_ICONEXCLAMATION|MB_OK "$(BadName)"
    Abort
  ${EndIf}
FunctionEnd

; --- Installation -------------------------------------------------------------------------

Section "Install"
  ; An existing printer stays on its own port.
  StrCpy $WantedPrinter $PrinterName
  Call FindPrinterPort
  ${If} $FoundPort != ""
    StrCpy $PrinterPort $FoundPort
  ${ElseIf} $PrinterPort == ""
    StrCpy $PrinterPort "${DEFAULT_PORT}"
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${PRINTERS_KEY}" "$PrinterName"
  ${If} ${Errors}
    StrCpy $KnownBefore 0
  ${Else}
    StrCpy $KnownBefore 1
  ${EndIf}

  ; The model's files, for vgsetup to install; they go when the installer ends.
  InitPluginsDir
  SetOutPath "$PLUGINSDIR\kit"
  File "${BIN_DIR}\profiles\${MODEL}.ini"
  ; The printer status library, the resource libraries and help files of the profile's
  ; languages, the monitor, the pop-up, tray icon, agent settings and library set-up programs,
  ; the simulated printer's library and its control program, and the model's pictures.
  File "${BIN_DIR}\vgprn.dll"
  File "${BIN_DIR}\vgres.dll"
  File "${BIN_DIR}\vgres_de.dll"
  File "${BIN_DIR}\vghelp.chm"
  File "${BIN_DIR}\vghelp_de.chm"
  File "${BIN_DIR}\vgicon.exe"
  File "${BIN_DIR}\qvapiset.exe"
  File "${BIN_DIR}\vgmon.exe"
  File "${BIN_DIR}\vgpop.exe"
  File "${BIN_DIR}\vgagent.exe"
  File "${BIN_DIR}\qvsim.dll"
  File "${BIN_DIR}\qvsimctl.exe"
  File "${BIN_DIR}\vp100b.bmp"
  File "${BIN_DIR}\vp100r.bmp"
  File "${BIN_DIR}\vp100y.bmp"

  ; vgsetup itself stays, for the uninstaller.
  SetOutPath "$INSTDIR"
  File "${BIN_DIR}\vgsetup.exe"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  StrCpy $1 ""
  ${If} $DriverFile != ""
    StrCpy $1 ' --driver-file "$DriverFile"'
  ${EndIf}
  DetailPrint "vgsetup install --printer $PrinterName --port $PrinterPort"
  nsExec::ExecToLog '"$INSTDIR\vgsetup.exe" install --printer "$PrinterName" --port "$PrinterPort" --model ${MODEL} --from "$PLUGINSDIR\kit" --install-dir "$INSTDIR\${MODEL}"$1'
  Pop $0
  SetOutPath "$TEMP"
  ${If} $0 != 0
    ; Take back what this run added: a printer installed before stays as it was.
    ${If} $KnownBefore != 1
      nsExec::ExecToLog '"$INSTDIR\vgsetup.exe" uninstall --printer "$PrinterName"'
      Pop $0
    ${EndIf}
    Call RemoveOwnFilesWhenUnused
    MessageBox MB_ICONSTOP|MB_OK "$(SetupFailed)" /SD IDOK
    SetErrorLevel 1
    Abort
  ${EndIf}

  WriteRegStr HKLM "${PRINTERS_KEY}" "$PrinterName" "$PrinterPort"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "KORVA"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MODEL}\vgpop.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; After a failed first installation: vgsetup, the uninstaller, their folder and the uninstall
; entry go again unless a printer of an earlier run still needs them.
Function RemoveOwnFilesWhenUnused
  EnumRegValue $0 HKLM "${PRINTERS_KEY}" 0
  ${If} $0 == ""
    Delete "$INSTDIR\vgsetup.exe"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
FunctionEnd

; --- Uninstallation -----------------------------------------------------------------------

Section "Uninstall"
  SetOutPath "$TEMP"
  StrCpy $1 0  ; failures
  StrCpy $2 0  ; index of the next value to look at
  ${Do}
    EnumRegValue $0 HKLM "${PRINTERS_KEY}" $2
    ${If} $0 == ""
      ${Break}
    ${EndIf}
    DetailPrint "vgsetup uninstall --printer $0"
    nsExec::ExecToLog '"$INSTDIR\vgsetup.exe" uninstall --printer "$0"'
    Pop $3
    ${If} $3 == 0
      DeleteRegValue HKLM "${PRINTERS_KEY}" "$0"
    ${Else}
      ; Keep it listed, and look at the next one.
      IntOp $1 $1 + 1
      IntOp $2 $2 + 1
      MessageBox MB_ICONSTOP|MB_OK "$(RemoveFailed)" /SD IDOK
    ${EndIf}
  ${Loop}
  ${If} $1 <> 0
    SetErrorLevel 1
    Abort
  ${EndIf}
  Delete "$INSTDIR\vgsetup.exe"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ; The maker's folder, when nothing else of the maker is in it.
  RMDir "$INSTDIR\.."
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
