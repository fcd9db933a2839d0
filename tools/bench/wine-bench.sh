#!/usr/bin/env bash
# Export-level timings under Wine, in the build tree's own prefix: starts the tree's Wine
# server, runs each timing program (the status query, the status window, many printers at
# once), stops the server again. Called by ./run bench. Ends with a failure when the load run
# found a fault (after everything else has run).
#   tools/bench/wine-bench.sh BUILD_DIR [ARGS for prgetstatus_bench...]
set -euo pipefail

BUILD=${1:?usage: wine-bench.sh BUILD_DIR [--count N]}
shift
WINE_RUN="$BUILD/wine-run"
BENCH="$BUILD/bin/prgetstatus_bench.exe"
if [ ! -x "$WINE_RUN" ] || [ ! -f "$BENCH" ]; then
  echo "wine-bench.sh: build the win32 preset first (no $BENCH)" >&2
  exit 1
fi

"$WINE_RUN" --server-start
trap '"$WINE_RUN" --server-stop' EXIT
echo "== Status query under Wine (tools/bench/prgetstatus_bench.cpp)"
"$WINE_RUN" "$BENCH" "$@"
echo "== The status window under Wine (tools/bench/status_window_bench.cpp)"
"$WINE_RUN" "$BUILD/bin/status_window_bench.exe"
echo "== Many printers at once under Wine (tools/load, docs/load.md)"
# The status windows play their sounds into no sound device: Wine's complaints about it go.
load_status=0
"$WINE_RUN" "$BUILD/bin/vgload.exe" --printers "${VG_LOAD_PRINTERS:-50}" \
    --windows "${VG_LOAD_WINDOWS:-20}" 2> >(grep -v '^ALSA lib' >&2) || load_status=$?
exit $load_status
