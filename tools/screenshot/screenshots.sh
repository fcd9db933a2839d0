#!/usr/bin/env bash
# ./run screenshots: every window of tools/screenshot/shots.list in its state, on the example
# model installed into a Wine prefix of its own (build/win32/screenshot-prefix), drawn by
# Wine inside its virtual desktop (so that windows have their captions) on a virtual X
# screen, and cut out to one PNG file per line.
#   screenshots.sh BUILD_DIR OUTPUT_DIR [FILE...]   (only the named pictures, when given)
set -euo pipefail

BUILD=$(cd "${1:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}" && pwd)
mkdir -p "${2:?usage: screenshots.sh BUILD_DIR OUTPUT_DIR}"
OUT=$(cd "$2" && pwd)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ONLY=("${@:3}")

# Everything below runs on a virtual X screen of its own.
if [ -z "${VG_SHOTS_ON_SCREEN:-}" ]; then
  exec env VG_SHOTS_ON_SCREEN=1 xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "${BASH_SOURCE[0]}" "$BUILD" "$OUT" "${@:3}"
fi

BIN="$BUILD/bin"
export VG_WINEPREFIX="$BUILD/screenshot-prefix"
RUN="$BUILD/wine-run"
PRINTER="VP-100 Screenshots"
MODEL="VP-100"
DRIVER="KORVA VP-100"
DESKTOP="800x600"
WORK="$VG_WINEPREFIX/drive_c/vgshots"   # C:\vgshots
KIT="$WORK/kit"
SIGNAL="$WORK/signal"

say() { printf '%s\n' "$*" >&2; }

"$RUN" --server-start
# Wine's own fonts (Debian's fonts-wine: Tahoma for the dialog font, Marlett for the caption
# buttons) are not found where the package puts them; the prefix's font folder always counts.
if [ -d /usr/share/wine/fonts ]; then
  cp -u /usr/share/wine/fonts/*.ttf "$VG_WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
trap '"$RUN" --server-stop >/dev/null 2>&1 || true' EXIT

say "== Installing the example model $MODEL"
mkdir -p "$KIT"
for file in vgprn.dll vgres.dll vgres_de.dll qvsim.dll vgmon.exe vgpop.exe vgagent.exe; do cp "$BIN/$file" "$KIT/"; done
# The preferences' help file and the tray icon program.
for file in vghelp.chm vgicon.exe; do cp "$BIN/$file" "$KIT/"; done
cp "$BIN/profiles/$MODEL.ini" "$KIT/"
cp "$BIN/vgshot.exe" "$WORK/"
# The resource library without its buzzer sound, for the preferences of a printer without one.
cp "$BIN/vgresnobuzzer.dll" "$WORK/"
"$RUN" "$BIN/vgsetup.exe" uninstall --printer "$PRINTER" </dev/null >/dev/null 2>&1 || true
"$RUN" "$BIN/vgsetup.exe" install --printer "$PRINTER" --port LPT1: --model "$MODEL" \
  --from 'C:\vgshots\kit' </dev/null >/dev/null

status=0
while read -r window state file language; do
  [ -z "${window:-}" ] || [[ $window == \#* ]] && continue
  if [ ${#ONLY[@]} -gt 0 ] && [[ " ${ONLY[*]} " != *" $file "* ]]; then continue; fi
  # Wine takes the user's language from the Unix locale it starts in; the build compiles the
  # locales it needs (tests/integration/CMakeLists.txt).
  locale=()
  case "${language:--}" in
    -) ;;
    de) locale=(LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8 LANGUAGE= LOCPATH="$BUILD/locale") ;;
    *) say "$file: unknown language $language"; status=1; continue ;;
  esac
  rm -rf "$SIGNAL"
  mkdir -p "$SIGNAL"
  env "${locale[@]}" "$RUN" explorer "/desktop=vgshot,$DESKTOP" 'C:\vgshots\vgshot.exe' "$window" \
    "$state" 'C:\vgshots\signal' "$DRIVER" </dev/null >/dev/null 2>&1 &
  shot=$!
  for _ in $(seq 600); do
    [ -f "$SIGNAL/ready.txt" ] && break
    kill -0 $shot 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -f "$SIGNAL/ready.txt" ]; then
    say "$file: the window did not show"
    status=1
    touch "$SIGNAL/done.txt"
    wait $shot || true
    continue
  fi
  read -r left top width height <"$SIGNAL/ready.txt"
  # The virtual desktop stands at the top left of the X screen. Wine hands what the window
  # painted to the X server a moment later: the picture counts once two in a row agree.
  capture() {
    /usr/bin/import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" \
      +repage -define png:exclude-chunks=date,time "$1"
  }
  capture "$OUT/$file"
  for _ in $(seq 20); do
    capture "$SIGNAL/again.png"
    cmp -s "$SIGNAL/again.png" "$OUT/$file" && break
    mv "$SIGNAL/again.png" "$OUT/$file"
  done
  # A window that the desktop does not show (a pop-up menu), as it drew itself, laid over.
  if [ -f "$SIGNAL/overlay.txt" ] && [ -f "$SIGNAL/overlay.bmp" ]; then
    read -r overlay_left overlay_top < <(tr -d '\r' <"$SIGNAL/overlay.txt")
    /usr/bin/convert "$OUT/$file" "$SIGNAL/overlay.bmp" \
      -geometry "+$((overlay_left - left))+$((overlay_top - top))" -composite \
      -define png:exclude-chunks=date,time "$OUT/$file"
  fi
  touch "$SIGNAL/done.txt"
  wait $shot || true
  say "$file: $window ($state), ${width}x${height}"
done <"$HERE/shots.list"

"$RUN" "$BIN/vgsetup.exe" uninstall --printer "$PRINTER" </dev/null >/dev/null 2>&1 || true
exit $status
