#!/bin/sh
# arx-console.exe, started with no device, ends cleanly when Wine ends the session: wineboot
# --end-session sends WM_QUERYENDSESSION and WM_ENDSESSION to every top-level window, as Windows
# does at log-off. Usage: session_end_under_wine.sh WINE-RUN CONSOLE-EXE LOG
wine_run=$1 console=$2 log=$3

ARX_LOG=1 "$wine_run" "$console" >"$log" 2>&1 &
pid=$!
stop() { kill "$pid" 2>/dev/null; echo "$1"; cat "$log"; exit 1; }

waited=0
until grep -q "Console - started with 0 window(s)" "$log"; do
  [ $waited -ge 300 ] && stop "the console did not start"
  sleep 0.1; waited=$((waited + 1))
done

"$wine_run" wineboot --end-session || stop "wineboot could not end the session"

waited=0
while kill -0 "$pid" 2>/dev/null; do
  [ $waited -ge 300 ] && stop "the console outlived the session"
  sleep 0.1; waited=$((waited + 1))
done
wait "$pid"
code=$?
[ $code -eq 0 ] || stop "the console ended with $code"
echo "the console ended with the session"
