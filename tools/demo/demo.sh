#!/usr/bin/env bash
# ./run demo: the monitor at work, told in plain words from what the system itself shows
# (its debug log, the registry and the processes it starts). Runs in a prefix of its own.
set -euo pipefail

BUILD=${1:?usage: demo.sh BUILD_DIR}
BIN="$BUILD/bin"
export VG_WINEPREFIX="$BUILD/demo-prefix"
RUN="$BUILD/wine-run"
PRINTER="VP-100 Demo"
DRIVER="KORVA VP-100"

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
say() { printf '   %s\n' "$*"; }

cleanup() { "$RUN" --server-stop >/dev/null 2>&1 || true; }

# Starts a program with a Windows command line exactly as given (quotes included), the way
# the printing side would: through a batch file, so no Unix argument quoting gets in between.
BATCH_DIR="$VG_WINEPREFIX/drive_c/vgdemo"
BATCH_COUNT=0
run_windows() {
  mkdir -p "$BATCH_DIR"
  BATCH_COUNT=$((BATCH_COUNT + 1))
  local bat="$BATCH_DIR/step$BATCH_COUNT.bat"
  printf '@%s\r\n@exit /b %%ERRORLEVEL%%\r\n' "$*" >"$bat"
  "$RUN" cmd /c "C:\\vgdemo\\step$BATCH_COUNT.bat" </dev/null
}
VGMON='Z:'$(echo "$BIN/vgmon.exe" | tr '/' '\\')
trap cleanup EXIT

step "Preparing a Windows environment for the demo (Wine prefix $VG_WINEPREFIX)"
"$RUN" --server-start
LOG="$VG_WINEPREFIX/drive_c/ProgramData/VGMONX.LOG"
rm -f "$LOG"
"$RUN" reg add 'HKLM\SOFTWARE\KORVA\VGL3\Debug' /v VG_MT /t REG_DWORD /d 1 /f >/dev/null
"$RUN" reg add "HKLM\\software\\KORVA\\VGL3\\Driver\\$DRIVER" /v Type /d QOLT /f >/dev/null
say "Debug log switched on; the driver \"$DRIVER\" is registered."

# The lines one process wrote, without the process-id and tick-count prefix.
log_of() {
  local pid_hex=$1
  grep -a "^$pid_hex:" "$LOG" 2>/dev/null | cut -c22- | tr -d '\r'
}
pid_of_last() { grep -a "CMTApp::InitInstance" "$LOG" | tail -1 | cut -c1-8; }

step "A print job starts: the printing side launches the monitor for \"$PRINTER\""
say "vgmon.exe /P \"$PRINTER\" /O \"LPT1:\" /D \"$DRIVER\" /M \"VP-100\" /J \"42\""
run_windows "$VGMON" /P \"$PRINTER\" /O \"LPT1:\" /D \"$DRIVER\" /M \"VP-100\" /J \"42\" &
FIRST=$!
for _ in $(seq 1 50); do
  grep -aq "After : Wait Synchro Event" "$LOG" 2>/dev/null && break
  sleep 0.2
done
P1=$(pid_of_last)
say "The monitor (process $P1) parsed its command line:"
log_of "$P1" | grep -a "PrinterName =" | sed 's/^ */     /'
say "It created the printer's instance mapping: $(log_of "$P1" | grep -a 'MapFile Already Exists')"
say "Its hidden window exists and its worker thread is running:"
log_of "$P1" | grep -a -E "CreateMainWindow|OnCreate|After : Wait Synchro" | sed 's/^/     /'

step "A second job for the same printer arrives while the first monitor runs"
say "vgmon.exe /P \"$PRINTER\" /O \"LPT1:\" /D \"$DRIVER\""
START=$(date +%s%N)
run_windows "$VGMON" /P \"$PRINTER\" /O \"LPT1:\" /D \"$DRIVER\" && CODE=0 || CODE=$?
P2=$(pid_of_last)
say "The second monitor (process $P2) found the mapping already there and handed over:"
log_of "$P2" | grep -a -E "MapFile Already Exists|In case of existing mapfile" | sed 's/^/     /'
ELAPSED=$(( ($(date +%s%N) - START) / 1000000 ))
say "It asked the first monitor to restart its quit timer and left with exit code $CODE" \
    "after $ELAPSED ms; one monitor serves each printer."

step "The user's session ends: the first monitor is asked to close"
"$RUN" taskkill /im vgmon.exe >/dev/null 2>&1 || true
wait $FIRST && CODE=0 || CODE=$?
log_of "$P1" | grep -a -E "DestroyWindow|Wait Monitoring Thread|Reset MapFile|LOG END" | sed 's/^/     /'
say "The first monitor joined its worker, freed the printer's mapping and exited with code $CODE."

step "Done"
say "Full debug log: $LOG"
