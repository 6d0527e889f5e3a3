#!/usr/bin/env bash
# End-to-end tests of the Windows program under Wine, on a fresh Debian 12
# machine as root.  Each scenario gets a fresh Wine prefix with a HOME of its
# own, under a private Xvfb display with Wine's shell desktop running (so
# Program Manager answers DDE).  The driver (tests/e2e/driver.cpp, run inside
# Wine) clicks and types into the real window and answers the message boxes by
# their buttons; the checks look at the prefix afterwards.  The same scenarios
# are then played on the simulated machine: the files and the message boxes
# must be the same.
#
# Screenshots of every page go to $ORTAVIA_BUILD_ROOT/e2e/screenshots.
# Exit status 0 when every check passed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${ORTAVIA_BUILD_ROOT:-$root/build}
bash scripts/deps.sh wine wine64 xvfb imagemagick g++-mingw-w64-x86-64

exe=$out/win32-x86_64/SETUP_Ortavia_on_line.exe
payload=$out/win32-payload
[[ -f $exe && -d $payload ]] || bash scripts/build_win32.sh
work=$out/e2e
shots=$work/screenshots
rm -rf "$work"
mkdir -p "$shots"
started=$SECONDS

echo "== e2e: driver"
x86_64-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -Werror -municode -static \
  -o "$work/driver.exe" tests/e2e/driver.cpp

# --- display -------------------------------------------------------------------------
xvfb_pid=
for n in $(seq 91 140); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  sleep 1
  if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
  xvfb_pid=
done
[[ -n $xvfb_pid ]] || { echo "no free X display for Xvfb" >&2; exit 1; }

prefixes=()
cleanup() {
  for p in "${prefixes[@]}"; do WINEPREFIX=$p wineserver -k >/dev/null 2>&1 || true; done
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

export WINEDEBUG=-all
# No Mono or Gecko installer dialogs in a fresh prefix.
export WINEDLLOVERRIDES="mscoree=;mshtml="

failures=0
check() {  # MESSAGE COMMAND...
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "  ok   $what"; else echo "  FAIL $what"; failures=$((failures + 1)); fi
}

# --- one prefix per scenario -----------------------------------------------------------
new_prefix() {  # NAME
  local dir=$work/$1
  mkdir -p "$dir/home"
  export WINEPREFIX=$dir/prefix HOME=$dir/home
  prefixes+=("$WINEPREFIX")
  wine wineboot -i >/dev/null 2>&1
  wine explorer /desktop=shell,1024x768 >/dev/null 2>&1 &
  mkdir -p "$WINEPREFIX/drive_c/Setup"
  cp "$exe" "$WINEPREFIX/drive_c/Setup/"
  cp "$work/driver.exe" "$WINEPREFIX/drive_c/Setup/"
  d progman 30000
}
end_prefix() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
d() { wine 'C:\Setup\driver.exe' "$@"; }
start_setup() {
  (cd "$WINEPREFIX/drive_c/Setup" && wine 'C:\Setup\SETUP_Ortavia_on_line.exe' >/dev/null 2>&1 &)
}
shot() { import -window root "$shots/$1.png"; }
# The box's title and text, one line; the boxes of a scenario are kept in order.
box() {  # FILE
  local line
  line=$(d box 20000 | tr -d '\r')
  printf '%s\n' "$line" >>"$1"
  printf '%s\n' "$line"
}
reg_value() {  # KEY NAME
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { print $NF }'
}
# Label14 (Avanti/Fine), Label15 (Interrompi), Check1, the drive box: client pixels.
next_xy=(342 320)
abort_xy=(231 320)
check1_xy=(39 249)
drive_xy=(348 254)
# Inside the progress track near its right end, clear of the group folder
# window that the shell opens at the top left after CreateGroup.
track_xy=(366 262)

# The finish page is there when the progress track is gone and Next is
# enabled again (its caption in the label colour, not the disabled grey).
wait_finish() {
  local x y colour next snap=$work/finish-probe.png
  read -r x y _ _ <<<"$(d window 5000)"
  for _ in $(seq 1 120); do
    import -window root "$snap"
    colour=$(convert "$snap" -crop "1x1+$((x + track_xy[0]))+$((y + track_xy[1]))" txt:-)
    if [[ $colour != *'#400000'* && $colour != *'#86A698'* ]]; then
      next=$(convert "$snap" -crop "92x16+$((x + next_xy[0] - 46))+$((y + next_xy[1] - 8))" -unique-colors txt:-)
      [[ $next == *'#C0FFFF'* ]] && return 0
    fi
    sleep 0.3
  done
  return 1
}

same_file() { cmp -s "$1" "$2"; }
empty_dir() { [[ -d $1 && -z $(ls -A "$1") ]]; }
components=(MsWinsck.ocx DAO360.dll msinet.ocx)
user_dir() { find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -n 1; }

# --- scenario 1: a complete installation -----------------------------------------------
echo "== e2e: complete installation"
new_prefix install
boxes_install=$work/install/boxes.txt
: >"$boxes_install"
start_setup
d window 30000 >/dev/null
check "no earlier installation: no message at start" d nobox 1500
shot 01-welcome
d click "${next_xy[@]}"; sleep 0.7
shot 02-agreement
d click "${check1_xy[@]}"; sleep 0.2
shot 03-agreement-ticked
sleep 1.3
shot 04-agreement-accepted
d click "${next_xy[@]}"; sleep 0.7
shot 05-destination
check "the drive box shows the Windows drive" test "$(d edit | tr -d '\r')" = "C:"
d click "${drive_xy[@]}"; d key END; d key BACK 2; d type c
check "a typed drive letter is upper case at once" test "$(d edit | tr -d '\r')" = "C"
d type ':'
check "the typed drive C: is accepted without a message" d nobox 800
d click "${next_xy[@]}"; sleep 0.4
shot 06-progress
check "the finish page comes" wait_finish
shot 07-finish-as-shown
d front
shot 08-finish-raised
check "no message box during the installation" d nobox 300
d click "${next_xy[@]}"
check "Fine ends the program" d gone 10000

inst=$WINEPREFIX/drive_c/Ortavia_on_line
check "Ortavia_on_line.exe is byte-identical to the payload" same_file "$inst/Ortavia_on_line.exe" "$payload/Ortavia_on_line.exe"
for c in "${components[@]}"; do
  check "$c in the install folder is byte-identical" same_file "$inst/$c" "$payload/$c"
  check "$c in the system folder (syswow64) is byte-identical" same_file "$WINEPREFIX/drive_c/windows/syswow64/$c" "$payload/$c"
done
check "Testi_locali is there and empty" empty_dir "$inst/Testi_locali"
registered() {
  local listing c ok sysdir='c:\windows\syswow64\'
  for _ in $(seq 1 40); do
    # The setup names the folder "SYSWOW64" in capitals; Windows paths ignore case.
    listing=$(wine reg query 'HKCU\Software\Ortavia-on-line\Components' 2>/dev/null | tr -d '\r' | tr 'A-Z' 'a-z')
    ok=1
    for c in "${components[@]}"; do
      grep -qF "${c,,}    reg_sz    ${sysdir}${c,,}" <<<"$listing" || ok=0
    done
    ((ok)) && return 0
    sleep 0.5
  done
  return 1
}
check "the three components were registered from the system folder (DllRegisterServer ran)" registered
user=$(user_dir)
group_lnk="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Ortavia-on-line/Ortavia-on-line.lnk"
check "the group folder holds Ortavia-on-line.lnk" test -f "$group_lnk"
check "the group's link starts C:\\Ortavia_on_line\\Ortavia_on_line.exe" grep -qa 'Ortavia_on_line.exe' "$group_lnk"
check "Ortavia-on-line.lnk is on the desktop" test -f "$user/Desktop/Ortavia-on-line.lnk"
check "the desktop link is the group's link" same_file "$user/Desktop/Ortavia-on-line.lnk" "$group_lnk"

# --- scenario 2: the same prefix again: an earlier installation, Abort --------------------
echo "   ($((SECONDS - started)) s)"
echo "== e2e: earlier installation found, Abort"
boxes_again=$work/install/boxes-again.txt
: >"$boxes_again"
exe_before=$(stat -c %Y "$inst/Ortavia_on_line.exe")
start_setup
d window 30000 >/dev/null
box "$boxes_again" >/dev/null
shot 09-earlier-installation-found
d answer 1 20000
check "a second copy started meanwhile ends at once, silently" \
  timeout 60 wine 'C:\Setup\SETUP_Ortavia_on_line.exe'
check "... and shows no message" d nobox 500
d click "${next_xy[@]}"; sleep 0.5
d click "${check1_xy[@]}"; sleep 1.5
d click "${next_xy[@]}"; sleep 0.7
shot 10-destination-update
check "no drive box when updating the one earlier installation" bash -c "! wine 'C:\\Setup\\driver.exe' edit"
d click "${abort_xy[@]}"
box "$boxes_again" >/dev/null
shot 11-abort-question
d answer 7 20000
check "Abort answered No keeps the setup running" d window 2000
d click "${abort_xy[@]}"
box "$boxes_again" >/dev/null
d answer 6 20000
check "Abort answered Yes ends the program" d gone 10000
check "the aborted run left the installed executable as it was" test "$(stat -c %Y "$inst/Ortavia_on_line.exe")" = "$exe_before"
end_prefix

# --- scenario 3: UAC on: switch-off, then the restart question declined ---------------------
echo "   ($((SECONDS - started)) s)"
echo "== e2e: UAC switched on"
new_prefix uac
boxes_uac=$work/uac/boxes.txt
: >"$boxes_uac"
policies='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System'
wine reg add "$policies" /v EnableLUA /t REG_DWORD /d 1 /f >/dev/null 2>&1
start_setup
box "$boxes_uac" >/dev/null
shot 12-uac-question
d answer 1 20000
box "$boxes_uac" >/dev/null
shot 13-restart-question
check "EnableLUA is 0 once the switch-off was accepted" test "$(reg_value "$policies" EnableLUA)" = 0x0
d answer 2 20000
box "$boxes_uac" >/dev/null
shot 14-manual-restart
d answer 1 20000
check "the program ends after the manual-restart message" d gone 10000
state=$(user_dir)/Documents/Stato_UAC.txt
check "Stato_UAC.txt holds 1 CR LF" bash -c "[[ \$(od -An -tx1 '$state' | tr -d ' \n') == 310d0a ]]"
check "no run-once entry after the restart was declined" \
  bash -c "! wine reg query 'HKCU\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce' /v 'SETUP Ortavia-on-line'"
end_prefix

# --- the same scenarios on the simulated machine ---------------------------------------------
echo "   ($((SECONDS - started)) s)"
echo "== e2e: the same scenarios on the simulated machine"
host=$out/win32-host
cmake --build "$host" -j2 --target ortavia-sim >"$work/sim-build.log" 2>&1 || { cat "$work/sim-build.log"; exit 1; }
sim=$host/ortavia-sim
machine() {  # DIR UAC(0|1)
  mkdir -p "$1"
  cat >"$1/machine.ini" <<'INI'
[windows]
major = 6
minor = 1
windows_folder = C:\windows
system_folder = C:\windows\system32
[drives]
C = fixed
[setup]
folder = C:\Setup
INI
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System]\r\n"EnableLUA"=dword:0000000%s\r\n' "$2" >"$1/registry.reg"
}
sim_boxes() {  # DIR -> "title<TAB>text" per message box, in order
  awk -F'\t' '$1 == "msgbox" { print $3 "\t" $4 }' "$1/events.log" | sed 's/\\\\/\\/g'
}
m1=$work/sim-install
machine "$m1" 0
cat >"$work/sim-install.txt" <<'EOF'
click Label14
check Check1
wait 1000
click Label14
set Text2 c:
click Label14
wait 60000
click Label14
EOF
check "the complete installation plays on the simulated machine" "$sim" --machine "$m1" --script "$work/sim-install.txt"
for f in Ortavia_on_line.exe "${components[@]}"; do
  check "$f: the simulated installation wrote the same bytes as Wine's" \
    same_file "$m1/C/Ortavia_on_line/$f" "$work/install/prefix/drive_c/Ortavia_on_line/$f"
done
for c in "${components[@]}"; do
  sysfile=$(find "$m1/C" -ipath '*/windows/syswow64/'"$c" | head -n 1)
  check "$c in the simulated system folder is the same as Wine's" \
    same_file "$sysfile" "$work/install/prefix/drive_c/windows/syswow64/$c"
done
check "the same message boxes (none) in the complete installation" test -z "$(sim_boxes "$m1")"
cat >"$work/sim-again.txt" <<'EOF'
answer 1
click Label14
check Check1
wait 1000
click Label14
answer 7
click Label15
answer 6
click Label15
EOF
: >"$work/sim-again.log"
"$sim" --machine "$m1" --script "$work/sim-again.txt" >"$work/sim-again.log" 2>&1 || true
check "the same message boxes when an earlier installation is found and Abort is used" \
  diff <(sim_boxes "$m1") "$boxes_again"
m3=$work/sim-uac
machine "$m3" 1
printf 'answer 1\nanswer 2\nanswer 1\n' >"$work/sim-uac.txt"
"$sim" --machine "$m3" --script "$work/sim-uac.txt" >"$work/sim-uac.log" 2>&1 || true
check "the same message boxes on the UAC path" diff <(sim_boxes "$m3") "$boxes_uac"

echo "== e2e: $failures failed check(s); $((SECONDS - started)) s; screenshots in $shots"
((failures == 0))
