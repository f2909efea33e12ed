#!/bin/sh
# The installer under Wine: a silent install for the current user, the installed console starts
# with no device and shows nothing, a second copy ends at once, and the uninstaller removes the
# program, its Start menu entry and its registry entries but leaves the user's preferences and
# sessions. Usage: installer_under_wine.sh WINE-RUN SETUP-EXE LOG
wine_run=$1 setup=$2 log=$3
app='Vantrel ARX Console'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\com.vantrel.arxconsole'
console_pid=
fail() {
  [ -n "$console_pid" ] && kill "$console_pid" 2>/dev/null
  echo "$1"; [ -f "$log" ] && cat "$log"; exit 1
}
# Wine starts its services from whichever command needs them, and they keep that command's output
# open: every Wine command here writes to a file, never to the test's output or a pipe.
out="$log.out"
wine() { "$wine_run" "$@" </dev/null >"$out" 2>/dev/null; }
wine_output() { wine "$@"; tr -d '\r' <"$out"; }
unix_path() { wine_output winepath -u "$1"; }
has_value() { wine reg query "$1" /v "$2"; }
has_key() { wine reg query "$1"; }
# Waits up to 30 s for a shell condition.
wait_for() {
  waited=0
  until eval "$1"; do
    [ $waited -ge 300 ] && return 1
    sleep 0.1; waited=$((waited + 1))
  done
}

rm -f "$log" "$log.second" # a log of an earlier run would answer for this one
wine "$setup" /S /CurrentUser || fail "the silent install failed"
location=$(wine_output reg query 'HKCU\Software\Vantrel\ARX Console' /v InstallLocation |
           sed -n 's/.*REG_SZ[[:space:]]*//p')
[ -n "$location" ] || fail "no install location in the registry"
dir=$(unix_path "$location")
program="$dir/arx-console.exe"
[ -f "$program" ] || fail "no program in $dir"
appdata=$(unix_path "$(wine_output cmd /c echo %APPDATA%)")
menu_entry="$appdata/Microsoft/Windows/Start Menu/Programs/$app.lnk"
[ -f "$menu_entry" ] || fail "no Start menu entry"
has_key "$uninstall_key" || fail "not in the list of programs"
has_value "$run_key" com.vantrel.arxconsole || fail "start at login was not set"

# What the user made: preferences and a session of theirs.
prefs="$appdata/$app"
mkdir -p "$prefs"
echo '<PROPERTIES/>' >"$prefs/application.settings"
documents=$(unix_path "$(wine_output cmd /c echo %USERPROFILE%)")/Documents
mkdir -p "$documents"
echo session >"$documents/desk.arxsession"

ARX_LOG=1 "$wine_run" "$program" </dev/null >"$log" 2>&1 &
console_pid=$!
wait_for 'grep -qs "Console - started with 0 window(s)" "$log"' || fail "the installed console did not start"
ARX_LOG=1 "$wine_run" "$program" </dev/null >"$log.second" 2>&1 &
second=$!
wait_for '! kill -0 $second 2>/dev/null' || { kill $second; fail "a second copy kept running"; }
grep -q "another instance is running" "$log.second" || fail "the second copy did not meet the first: $(cat "$log.second")"
# The session's end is arx_console_session_end's; here the program only has to be gone (after
# a session's end Wine keeps the image mapped for a long while, which a real log-off does not).
kill "$console_pid"
wait "$console_pid" 2>/dev/null
console_pid=

wine "$dir/uninstall.exe" /S || fail "the uninstaller failed"
# The uninstaller runs from a copy of itself and returns at once.
wait_for '[ ! -e "$dir" ]' || fail "the uninstaller left $(ls "$dir")"
wait_for '! has_key "$uninstall_key"' || fail "still in the list of programs"
[ ! -e "$menu_entry" ] || fail "the Start menu entry is left"
! has_value "$run_key" com.vantrel.arxconsole || fail "start at login is left"
! has_key 'HKCU\Software\Vantrel\ARX Console' || fail "the install location is left in the registry"
[ -f "$prefs/application.settings" ] || fail "the user's preferences went"
[ -f "$documents/desk.arxsession" ] || fail "the user's session went"
rm -rf "$prefs" "$documents/desk.arxsession"
echo "installed, started, refused a second copy, uninstalled; the user's files stayed"
