#!/usr/bin/env bash
# The installer under Wine, as a user's silent install would run it: installs
# into a folder of our choosing, starts the installed Halyard.exe, installs
# again over it (the user's server list stays), uninstalls, and checks that
# the program files, the shortcuts and the Apps & Features entry are gone
# while the per-user settings stay.
#   install_test.sh SETUP.exe
# Runs in the Wine of the installer's own bitness; without a DISPLAY it starts
# a private display and sound server.
set -euo pipefail
setup=$(realpath "$1")
root=$(cd "$(dirname "$0")/../.." && pwd)
. "$root/scripts/wine-env.sh"
[ -f "$setup" ] || { echo "no installer at $setup" >&2; exit 1; }
if [ -z "${DISPLAY:-}" ]; then
  . "$root/scripts/test-env.sh"
  trap halyard_test_env_stop EXIT
fi

wine_of_setup() { bash "$root/scripts/wine-run.sh" --like "$setup" "$@"; }
# Only the prefix is needed here; wine-run.sh makes it on first use.
wine_of_setup cmd /c exit 0 >/dev/null 2>&1
halyard_wine_use "$(halyard_wine_arch_of "$setup")"
fail() { echo "FAIL: $*" >&2; exit 1; }

win_dir='C:\HalyardInstallTest'
dir="$WINEPREFIX/drive_c/HalyardInstallTest"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Halyard"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Halyard'
settings_key='HKCU\Software\Vantreck\HALYDv2'
rm -rf "$dir"

wine_of_setup "$setup" /S "/D=$win_dir" || fail "the silent install ended with exit code $?"
for f in Halyard.exe Halyard.ini ServerList.ini voRizivoMain.skn Login.skn FileWindow.skn SeekSlider.skn \
         Bollard.exe Uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f was not installed"
done
for f in Halyard.lnk Bollard.lnk; do [ -f "$menu/$f" ] || fail "no Start-menu shortcut $f"; done
wine_of_setup reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 ||
  fail "no uninstall entry in Apps & Features"
wine_of_setup reg query "$uninstall_key" /v DisplayVersion 2>/dev/null | grep -q "$(cat "$root/VERSION")" ||
  fail "the uninstall entry does not carry the version $(cat "$root/VERSION")"

code=0
timeout 60 bash "$root/scripts/wine-run.sh" "$dir/Halyard.exe" --quit-after 2 >/dev/null 2>&1 || code=$?
[ $code -eq 0 ] || fail "the installed Halyard.exe --quit-after 2 ended with exit code $code"

# A reinstall (or an upgrade) over the folder keeps the user's address book.
printf '[GROUP_LIST]\r\nInstallTest=InstallTest\r\n' >"$dir/ServerList.ini"
wine_of_setup "$setup" /S "/D=$win_dir" || fail "the second install ended with exit code $?"
grep -q InstallTest "$dir/ServerList.ini" || fail "a reinstall replaced the user's ServerList.ini"

wine_of_setup reg add "$settings_key" /v InstallTestMark /d kept /f >/dev/null 2>&1
# The uninstaller copies itself to the temporary folder and returns at once;
# its copy removes the folder.
wine_of_setup "$dir/Uninstall.exe" /S || fail "the silent uninstall ended with exit code $?"
for _ in $(seq 120); do [ -e "$dir" ] || break; sleep 0.5; done
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && ls -A | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "the Start-menu folder is still there"
! wine_of_setup reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is still there"
wine_of_setup reg query "$settings_key" /v InstallTestMark >/dev/null 2>&1 ||
  fail "the uninstaller removed the per-user settings"
wine_of_setup reg delete "$settings_key" /v InstallTestMark /f >/dev/null 2>&1 || true
echo "ok: $(basename "$setup") installs, runs and uninstalls"
