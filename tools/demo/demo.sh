#!/usr/bin/env bash
# ./run demo: a print job on a simulated VP-100, told in plain words from what the system
# itself shows: the monitor's debug log, the pop-up program's log, the status window (its
# title, texts and help button, read from the window), and the registry. Runs in a Wine prefix
# of its own (build/win32/demo-prefix). With a display the status window appears on the screen;
# without one the demo runs on a virtual X screen (xvfb-run), inside Wine's virtual desktop,
# and saves a picture of the window at paper out.
set -euo pipefail

BUILD=$(cd "${1:?usage: demo.sh BUILD_DIR}" && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${VG_DEMO_SCREEN:-}" ]; then
  exec env VG_DEMO_SCREEN=virtual xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "${BASH_SOURCE[0]}" "$BUILD"
fi
VIRTUAL=0
[ "${VG_DEMO_SCREEN:-}" = virtual ] && VIRTUAL=1
DESKTOP="/desktop=vgdemo,1024x768"
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
  [ -d "${DEMO:-}" ] && touch "$DEMO/window.txt.stop"
  "$RUN" taskkill /f /im vgpop.exe >/dev/null 2>&1 || true
  "$RUN" --server-stop >/dev/null 2>&1 || true
}
trap cleanup EXIT

# Runs a Windows program: on the virtual X screen inside Wine's virtual desktop (where windows
# get their captions), else as it is.
run_program() {
  if [ $VIRTUAL -eq 1 ]; then
    "$RUN" explorer "$DESKTOP" "$@" </dev/null
  else
    "$RUN" "$@" </dev/null
  fi
}

# Starts a Windows command line exactly as given (quotes included), the way the printing side
# would: through a batch file, so no Unix argument quoting gets in between. Its exit code lands
# in C:\vgdemo\stepN.exit.
BATCH=0
run_windows() {
  BATCH=$((BATCH + 1))
  printf '@%s\r\n@echo %%ERRORLEVEL%%>C:\\vgdemo\\step%d.exit\r\n' "$*" "$BATCH" \
    >"$DEMO/step$BATCH.bat"
  rm -f "$DEMO/step$BATCH.exit"
  run_program cmd /c "C:\\vgdemo\\step$BATCH.bat"
}
qvsimctl() { "$RUN" "$BIN/qvsimctl.exe" "$@" </dev/null; }

step "Preparing a Windows machine for the demo (Wine prefix $VG_WINEPREFIX)"
"$RUN" --server-start
# Wine's own fonts (Debian's fonts-wine) draw the dialogs with Tahoma and the caption buttons.
if [ -d /usr/share/wine/fonts ]; then
  cp -u /usr/share/wine/fonts/*.ttf "$VG_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
mkdir -p "$KIT"
for file in vgprn.dll vgres.dll vgres_de.dll qvsim.dll qvsimctl.exe vgmon.exe vgpop.exe; do
  cp "$BIN/$file" "$KIT/"
done
cp "$BIN/vgwatch.exe" "$DEMO/"
SHOT_DIR="$BUILD/demo"
SHOT="$SHOT_DIR/status-window-paper-out.png"
mkdir -p "$SHOT_DIR"
rm -f "$SHOT" "$DEMO/window.txt" "$DEMO/window.txt.stop"
# The preferences' help file, the tray icon program and the library's set-up program.
for file in vghelp.chm vgicon.exe qvapiset.exe; do cp "$BIN/$file" "$KIT/"; done
# The model's own profile, with shorter times so that the story fits in half a minute.
sed -e 's/^MonitorInitTime=.*/MonitorInitTime=500/' -e 's/^TIMEOUT=.*/TIMEOUT=8/' \
    -e 's/^LocalMonitoringTimer=.*/LocalMonitoringTimer=2/' \
    "$BIN/profiles/$MODEL.ini" >"$KIT/$MODEL.ini"
say "Installation kit: vgmon.exe, vgprn.dll, vgres.dll and vgres_de.dll, the pop-up program vgpop.exe, the"
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
at 8 say The printer runs out of paper.
at 8 reply "$PRINTER" "@BDC ST\r\nST:00;ER:06;\f"
at 17 say The user opens the printer's cover to load paper.
at 17 reply "$PRINTER" "@BDC ST\r\nST:00;ER:03;\f"
at 23 say The user closes the cover; the printer prints the rest of the job.
at 23 reply "$PRINTER" "@BDC ST\r\nST:03;\f"
at 29 say The last page is out; the printer is ready again.
at 29 reply "$PRINTER" "@BDC ST\r\nST:04;\f"
EOF
sed -i 's/$/\r/' "$DEMO/story.txt"

step "A print job starts: the printing side launches the monitor"
say "\"$INSTALL_DIR\\vgmon.exe\" /P \"$PRINTER\" /O \"$PORT\" /M \"$MODEL\" /J \"42\" /KVM \"demo\""
rm -f "$DEMO"/step*.exit
MONITOR_EXIT="$DEMO/step1.exit"
T0=$(date +%s%N)
# The status window is followed from the outside, as a user sees it.
run_program 'C:\vgdemo\vgwatch.exe' "$PRINTER" 'C:\vgdemo\window.txt' >/dev/null 2>&1 &
WATCH=$!
run_windows "\"$INSTALL_DIR\\vgmon.exe\"" /P \"$PRINTER\" /O \"$PORT\" /M \"$MODEL\" /J \"42\" /KVM \"demo\" >/dev/null 2>&1 &
qvsimctl run 'C:\vgdemo\story.txt' >"$DEMO/story.out" 2>&1 &
STORY=$!

# A picture of the status window where it stands on the X screen: LEFT TOP WIDTH HEIGHT.
# Wine hands what the window painted to the X server a moment later, so the picture counts
# once two in a row agree; an error's icon blinks (every half second it gives way to a plain
# ring), so of several pictures over a second the one with the most in it is kept.
take_shot() {
  [ -x /usr/bin/import ] || return 0
  capture() {
    /usr/bin/import -display "$DISPLAY" -window root -crop "${3}x${4}+${1}+${2}" +repage \
      -define png:exclude-chunks=date,time "$5" 2>/dev/null
  }
  capture "$@" "$SHOT" || return 0
  local i
  for i in $(seq 10); do
    sleep 0.1
    capture "$@" "$SHOT.again.png" || break
    cmp -s "$SHOT.again.png" "$SHOT" && break
    mv "$SHOT.again.png" "$SHOT"
  done
  for i in $(seq 6); do
    sleep 0.15
    capture "$@" "$SHOT.again.png" || break
    if [ "$(stat -c %s "$SHOT.again.png")" -gt "$(stat -c %s "$SHOT")" ]; then
      mv "$SHOT.again.png" "$SHOT"
    fi
  done
  rm -f "$SHOT.again.png"
  event "Status window: its picture at paper out is saved as $SHOT"
}

# Follows the four sources until the monitor has gone, telling what each new line means.
status_words() {
  case "$1" in
    1) echo "ready" ;; 11) echo "printing" ;; 5) echo "out of paper" ;; 7) echo "open" ;;
    21|22) echo "not answering" ;; *) echo "status $1" ;;
  esac
}
PID=""
seen_log=0 seen_story=0 seen_pop=0 seen_window=0 last_poll="" polls=0
window_shown=0 last_window="" shot_taken=0
narrate_window() {
  [ -f "$DEMO/window.txt" ] || return 0
  local lines line kind place visible title message status help left top width height
  mapfile -t lines < <(tail -n +$((seen_window + 1)) "$DEMO/window.txt" | tr -d '\r')
  seen_window=$((seen_window + ${#lines[@]}))
  for line in "${lines[@]}"; do
    if [ "$line" = gone ]; then
      [ $window_shown -eq 1 ] && event "Status window: it has closed by itself."
      window_shown=0 last_window=""
      continue
    fi
    IFS=$'\t' read -r kind place visible title message status help <<<"$line"
    [ "$kind" = window ] && [ "$visible" = 1 ] || continue
    read -r left top width height <<<"$place"
    if [ $window_shown -eq 0 ]; then
      event "Status window: it pops up at ($left, $top), ${width} x ${height}, titled \"$title\"."
      window_shown=1
    fi
    if [ "$message|$status|$help" != "$last_window" ]; then
      last_window="$message|$status|$help"
      if [ "$help" = 1 ]; then help="its Help button opens the step-by-step help"
      else help="no Help button"; fi
      event "Status window: it shows \"$message\" - \"$status\" - and $help."
    fi
    if [ $shot_taken -eq 0 ] && [ "$message" = "Paper out" ]; then
      shot_taken=1
      take_shot "$left" "$top" "$width" "$height"
    fi
  done
}
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
          event "Monitor: starts the pop-up program for the job: ${line#StartExe : commandline : }" ;;
        "Popup is already exist")
          event "Monitor: the pop-up program is there, so the request goes to it as a ParamBlock (WM_COPYDATA); no new program." ;;
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
        "Handed a block from the monitor"*)
          event "Pop-up program: the monitor's block arrives${line#Handed a block from the monitor}." ;;
        "a pop-up request") event "Pop-up program: it asks for the status window." ;;
        *) [ -n "$line" ] && event "Pop-up program: $line" ;;
      esac
    done
  fi
  narrate_window
}

step "What happens (the printer's story, and what the system shows of it)"
for _ in $(seq 900); do
  [ -f "$MONITOR_EXIT" ] && break
  narrate
  sleep 0.2
done
CODE=$(tr -dc '0-9' <"$MONITOR_EXIT" 2>/dev/null || echo "unknown")
ELAPSED=$(( ($(date +%s%N) - T0) / 1000000 ))
# The pop-up program ends a moment after its monitor.
for _ in $(seq 50); do
  narrate
  grep -aq ": ended" "$POPLOG" 2>/dev/null && break
  sleep 0.2
done
narrate
touch "$DEMO/window.txt.stop"
wait "$WATCH" 2>/dev/null || true
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
if [ -f "$SHOT" ]; then
  say "The status window at paper out: $SHOT"
elif [ $VIRTUAL -eq 1 ]; then
  say "No picture of the status window was taken (the window never showed paper out)."
fi

step "The printer's monitoring preferences"
say "The tray icon program opens them as its menu does (vgicon.exe /E, through PrStartPreference);"
say "they stay for a few seconds and close again without a change."
printf '@"%s\\vgicon.exe" /P%d "%s" /O%d "%s" /M "%s" /E\r\n' "$INSTALL_DIR" "${#PRINTER}" \
  "$PRINTER" "${#PORT}" "$PORT" "$MODEL" >"$DEMO/prefs.bat"
PREFS_SHOT="$SHOT_DIR/preferences.png"
rm -f "$PREFS_SHOT"
run_program cmd /c 'C:\vgdemo\prefs.bat' >/dev/null 2>&1 &
PREFS=$!
sleep 5
if [ $VIRTUAL -eq 1 ] && [ -x /usr/bin/import ]; then
  # The dialog alone: the desktop's plain background around it is cut away.
  if /usr/bin/import -display "$DISPLAY" -window root -crop 1024x720+0+0 +repage \
      "$SHOT_DIR/screen.png" 2>/dev/null; then
    /usr/bin/convert "$SHOT_DIR/screen.png" -fuzz 2% -trim +repage \
      -define png:exclude-chunks=date,time "$PREFS_SHOT" 2>/dev/null || true
  fi
  rm -f "$SHOT_DIR/screen.png"
fi
# Closed as a user closes it; taskkill reaches only the windows of its own desktop, so it runs
# where the dialog is. Forced only when the dialog does not close.
run_program taskkill /im vgicon.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 $PREFS 2>/dev/null || break; sleep 0.1; done
if kill -0 $PREFS 2>/dev/null; then
  "$RUN" taskkill /f /im vgicon.exe >/dev/null 2>&1 || true
fi
wait $PREFS 2>/dev/null || true
if [ -f "$PREFS_SHOT" ]; then
  say "No display here: the preferences were drawn on a virtual screen; picture: $PREFS_SHOT"
fi

step "Done"
say "The monitor ran for $((ELAPSED / 1000)).$(( (ELAPSED % 1000) / 100 )) s, made $polls polls, and exited by itself with code $CODE."
"$RUN" "$BIN/vgsetup.exe" uninstall --printer "$PRINTER" </dev/null >/dev/null 2>&1 || true
say "The demo printer has been uninstalled again."
