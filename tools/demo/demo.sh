#!/usr/bin/env bash
# ./run demo: a print job on a simulated VP-100, told in plain words from what the system
# itself shows: the monitor's debug log, the registry, and the programs it starts. Runs in a
# Wine prefix of its own (build/win32/demo-prefix); with a display, the windows appear.
set -euo pipefail

BUILD=${1:?usage: demo.sh BUILD_DIR}
BIN="$BUILD/bin"
export VG_WINEPREFIX="$BUILD/demo-prefix"
RUN="$BUILD/wine-run"
PRINTER="VP-100 Demo"
PORT="LPT1:"
MODEL="VP-100"
DEMO="$VG_WINEPREFIX/drive_c/vgdemo"   # C:\vgdemo
KIT="$DEMO/kit"

bold=$'\033[1m'
plain=$'\033[0m'
step() { printf '\n%s== %s%s\n' "$bold" "$*" "$plain"; }
say() { printf '   %s\n' "$*"; }
clock() { printf '%5.1fs' "$(awk "BEGIN { print ($(date +%s%N) - $T0) / 1e9 }")"; }
event() { printf '   [%s] %s\n' "$(clock)" "$*"; }

cleanup() {
  "$RUN" taskkill /f /im vgpop.exe >/dev/null 2>&1 || true
  "$RUN" --server-stop >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Starts a Windows command line exactly as given (quotes included), the way the printing side
# would: through a batch file, so no Unix argument quoting gets in between.
BATCH=0
run_windows() {
  BATCH=$((BATCH + 1))
  printf '@%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$*" >"$DEMO/step$BATCH.bat"
  "$RUN" cmd /c "C:\\vgdemo\\step$BATCH.bat" </dev/null
}
qvsimctl() { "$RUN" "$BIN/qvsimctl.exe" "$@" </dev/null; }

step "Preparing a Windows machine for the demo (Wine prefix $VG_WINEPREFIX)"
"$RUN" --server-start
mkdir -p "$KIT"
for file in vgprn.dll vgres.dll qvsim.dll qvsimctl.exe vgmon.exe vgpop.exe; do
  cp "$BIN/$file" "$KIT/"
done
# The preferences' help file, the tray icon program and the library's set-up program.
for file in vghelp.chm vgicon.exe qvapiset.exe; do cp "$BIN/$file" "$KIT/"; done
# The model's own profile, with shorter times so that the story fits in half a minute.
sed -e 's/^MonitorInitTime=.*/MonitorInitTime=500/' -e 's/^TIMEOUT=.*/TIMEOUT=8/' \
    -e 's/^LocalMonitoringTimer=.*/LocalMonitoringTimer=2/' \
    "$BIN/profiles/$MODEL.ini" >"$KIT/$MODEL.ini"
say "Installation kit: vgmon.exe, vgprn.dll, vgres.dll, the pop-up program vgpop.exe, the"
say "simulated printer qvsim.dll and the $MODEL profile (polls every 2 s for the demo)."
"$RUN" reg add 'HKLM\SOFTWARE\KORVA\VGL3\Debug' /v VG_MT /t REG_DWORD /d 1 /f >/dev/null
"$RUN" reg add 'HKLM\Software\Korva\VGL3' /v log /t REG_DWORD /d 1 /f >/dev/null
LOG="$VG_WINEPREFIX/drive_c/ProgramData/VGMONX.LOG"
TEMP_DIR=$(ls -d "$VG_WINEPREFIX"/drive_c/users/*/Temp 2>/dev/null | grep -v /Public/ | head -1)
POPLOG="$TEMP_DIR/VGPOP.LOG"
rm -f "$LOG" "$POPLOG" "$VG_WINEPREFIX/drive_c/ProgramData/VGL3_QOLT.LOG"
say "Debug logs switched on (HKLM ...\\Debug VG_MT=1 for vgmon, ...\\VGL3 log=1 for vgprn)."

step "Installing the printer \"$PRINTER\" on $PORT, as the printer maker's installer would"
"$RUN" "$BIN/vgsetup.exe" uninstall --printer "$PRINTER" </dev/null >/dev/null 2>&1 || true
"$RUN" "$BIN/vgsetup.exe" install --printer "$PRINTER" --port "$PORT" --model "$MODEL" \
    --from 'C:\vgdemo\kit' </dev/null | sed 's/^/   /'
INSTALL_DIR='C:\Program Files\KORVA\Vigil3\VP-100'

step "Switching the simulated printer on: a $MODEL, ready"
qvsimctl reset "$PRINTER" >/dev/null
qvsimctl deviceid "$PRINTER" "MFG:KORVA;MDL:$MODEL;CMD:ESCP;" >/dev/null
qvsimctl channels "$PRINTER" 0x10000005:0x0004,0x10010003:0 >/dev/null
qvsimctl reply "$PRINTER" '@BDC ST\r\nST:04;\f' >/dev/null
say "Device ID \"MFG:KORVA;MDL:$MODEL;\", status channel 0x10000005, reply \"@BDC ST ST:04\" (ready)."

cat >"$DEMO/story.txt" <<EOF
# The printer's side of the story, played by the simulator.
at 2 say The printer starts printing the job.
at 2 reply "$PRINTER" "@BDC ST\r\nST:03;\f"
at 10 say The printer runs out of paper.
at 10 reply "$PRINTER" "@BDC ST\r\nST:00;ER:06;\f"
at 18 say The user loads paper; the printer goes on printing.
at 18 reply "$PRINTER" "@BDC ST\r\nST:03;\f"
at 24 say The last page is out; the printer is ready again.
at 24 reply "$PRINTER" "@BDC ST\r\nST:04;\f"
EOF
sed -i 's/$/\r/' "$DEMO/story.txt"

step "A print job starts: the printing side launches the monitor"
say "\"$INSTALL_DIR\\vgmon.exe\" /P \"$PRINTER\" /O \"$PORT\" /M \"$MODEL\" /J \"42\" /KVM \"demo\""
T0=$(date +%s%N)
run_windows "\"$INSTALL_DIR\\vgmon.exe\"" /P \"$PRINTER\" /O \"$PORT\" /M \"$MODEL\" /J \"42\" /KVM \"demo\" &
MONITOR=$!
qvsimctl run 'C:\vgdemo\story.txt' >"$DEMO/story.out" 2>&1 &
STORY=$!

# Follows the three sources until the monitor has gone, telling what each new line means.
status_words() {
  case "$1" in
    1) echo "ready" ;; 11) echo "printing" ;; 5) echo "out of paper" ;;
    21|22) echo "not answering" ;; *) echo "status $1" ;;
  esac
}
PID=""
seen_log=0 seen_story=0 seen_pop=0 last_poll="" polls=0
narrate() {
  local lines line
  if [ -f "$DEMO/story.out" ]; then
    mapfile -t lines < <(tail -n +$((seen_story + 1)) "$DEMO/story.out" | tr -d '\r')
    seen_story=$((seen_story + ${#lines[@]}))
    for line in "${lines[@]}"; do [ -n "$line" ] && event "Printer: $line"; done
  fi
  if [ -z "$PID" ] && [ -f "$LOG" ]; then
    PID=$(grep -a "CMTApp::InitInstance" "$LOG" | head -1 | cut -c1-8 || true)
  fi
  if [ -n "$PID" ]; then
    mapfile -t lines < <(grep -a "^$PID:" "$LOG" | tail -n +$((seen_log + 1)) | cut -c22- | tr -d '\r')
    seen_log=$((seen_log + ${#lines[@]}))
    for line in "${lines[@]}"; do
      case "$line" in
        "MapFile Already Exists : FALSE")
          event "Monitor: no other monitor serves \"$PRINTER\"; this one takes it (instance mapping VG_MAP_$PRINTER)." ;;
        "StartExe : commandline : "*)
          event "Monitor: starts the pop-up program: ${line#StartExe : commandline : }" ;;
        "Popup is already exist")
          event "Monitor: the pop-up window is open, so it gets the news as a ParamBlock (WM_COPYDATA); no new program." ;;
        "Call PrMonitoringStart")
          event "Monitor: its worker thread opens the monitoring session in vgprn.dll." ;;
        "Returned from PrGetChannel : nRet : 0")
          event "Monitor: the printer reports model $MODEL, as expected; its status channel is open." ;;
        "nPopup = "*)
          polls=$((polls + 1))
          local popup state real simple
          popup=$(sed -n 's/^nPopup = \([-0-9]*\),.*/\1/p' <<<"$line")
          state=$(sed -n 's/.*m_nPrintState = \([-0-9]*\),.*/\1/p' <<<"$line")
          real=$(sed -n 's/.*m_nFineStNum = \([-0-9]*\),.*/\1/p' <<<"$line")
          simple=$(sed -n 's/.*m_nStNum = \([-0-9]*\)$/\1/p' <<<"$line")
          if [ "$real:$state:$popup" != "$last_poll" ]; then
            local words
            words=$(status_words "$real")
            [ "$state" = 2 ] && words="printing"
            event "Monitor: poll $polls - the printer is $words (status $real, simple $simple)$([ "$popup" -gt 0 ] && echo '; the status asks for the pop-up')."
            last_poll="$real:$state:$popup"
          fi ;;
        "m_bComplete flag is Set.")
          event "Monitor: printing stopped with a problem; the job will count as printed once it is cleared." ;;
        "It regard as completing to print")
          event "Monitor: printing has finished and the spooler holds no more jobs: the job has printed." ;;
        "Set QuitTimer length(s) : "*)
          event "Monitor: the printer is idle; the quit timer gives it ${line##* : } s of grace." ;;
        "Call PrMonitoringEnd")
          event "Monitor: monitoring ends; the session in vgprn.dll is closed." ;;
        "***** LOG END ******")
          event "Monitor: vgmon.exe has exited." ;;
      esac
    done
  fi
  if [ -f "$POPLOG" ]; then
    mapfile -t lines < <(tail -n +$((seen_pop + 1)) "$POPLOG" | cut -d' ' -f2- | tr -d '\r')
    seen_pop=$((seen_pop + ${#lines[@]}))
    for line in "${lines[@]}"; do
      case "$line" in
        "started with: "*) event "Pop-up program: started with ${line#started with: }" ;;
        *) [ -n "$line" ] && event "Pop-up program: $line" ;;
      esac
    done
  fi
}

step "What happens (the printer's story, and what the system shows of it)"
while kill -0 "$MONITOR" 2>/dev/null; do
  narrate
  sleep 0.2
done
wait "$MONITOR" && CODE=0 || CODE=$?
ELAPSED=$(( ($(date +%s%N) - T0) / 1000000 ))
sleep 0.3
narrate
wait "$STORY" 2>/dev/null || true

step "What the system left behind"
KEY=$("$RUN" reg query 'HKCU\software\KORVA\VGL3\VGLData\KVLTarget' /s 2>/dev/null | tr -d '\r' |
      awk -v p="$PRINTER" '/^HKEY/ { key = $0 } $1 == "Name" && index($0, p) { print key }' | head -1)
if [ -n "$KEY" ]; then
  say "The printer's settings key: $KEY"
  "$RUN" reg query "$KEY" 2>/dev/null | tr -d '\r' | grep -E '^\s+(ComStatus|Channel|Timer)' |
    sed 's/^\s*/     /'
  say "(\"ComStatus\" 1: a fresh reply waits in \"Status\" for a status window.)"
fi
say "The monitor's debug log: $LOG"
say "The pop-up program's log: $POPLOG"

step "The printer's monitoring preferences"
say "The tray icon program opens them as its menu does (vgicon.exe /E, through PrStartPreference);"
say "they stay for a few seconds and close again without a change."
printf '@"%s\\vgicon.exe" /P%d "%s" /O%d "%s" /M "%s" /E\r\n' "$INSTALL_DIR" "${#PRINTER}" "$PRINTER" \
  "${#PORT}" "$PORT" "$MODEL" >"$DEMO/prefs.bat"
PREFS_SHOT="$BUILD/demo-preferences.png"
if [ -n "${DISPLAY:-}" ]; then
  "$RUN" cmd /c 'C:\vgdemo\prefs.bat' </dev/null >/dev/null 2>&1 &
  sleep 6
  "$RUN" taskkill /im vgicon.exe >/dev/null 2>&1 || true
  wait $! 2>/dev/null || true
else
  # No display: the dialog is drawn on a virtual screen inside Wine's desktop and pictured.
  rm -f "$PREFS_SHOT"
  VG_DEMO_RUN="$RUN" VG_DEMO_SHOT="$PREFS_SHOT" xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$VG_DEMO_RUN" explorer /desktop=vgdemo,800x600 cmd /c "C:\\vgdemo\\prefs.bat" \
      </dev/null >/dev/null 2>&1 &
    sleep 8
    /usr/bin/import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage "$VG_DEMO_SHOT"
    "$VG_DEMO_RUN" taskkill /im vgicon.exe >/dev/null 2>&1 || true
    wait' >/dev/null 2>&1 || true
  if [ -f "$PREFS_SHOT" ]; then
    say "No display here: the preferences were drawn on a virtual screen; picture: $PREFS_SHOT"
  else
    say "No display here, and the virtual screen could not be pictured."
  fi
fi
"$RUN" --server-start

step "Done"
say "The monitor ran for $((ELAPSED / 1000)).$(( (ELAPSED % 1000) / 100 )) s, made $polls polls, and exited by itself with code $CODE."
"$RUN" "$BIN/vgsetup.exe" uninstall --printer "$PRINTER" </dev/null >/dev/null 2>&1 || true
say "The demo printer has been uninstalled again."
