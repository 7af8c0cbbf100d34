#!/usr/bin/env bash
# Tries the installer as a pharmacist's PC would take it, in a fresh Wine
# prefix with nothing else installed: a silent install (/S) under Program
# Files that makes c:\ravo\, a second install over the first that leaves
# c:\ravo\'s files as they were, the installed program on its own DLLs
# turning the published workbooks in c:\ravo\ into the expected list in
# CP932 ("変換"), and a silent uninstall that removes the program and keeps
# c:\ravo\. Runs in the X display it is given.
# Usage: windows-install-check.sh SETUP.exe PREFIX WORKBOOK-DIR EXPECTED-LIST
set -euo pipefail
setup=$(realpath "$1")
workbooks=$(realpath "$3")
expected_list=$(realpath "$4")
export WINEPREFIX=$2
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEPATH QT_PLUGIN_PATH RAVO_DIR
export QT_QPA_PLATFORM=windows
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
run() { env LC_ALL=ja_JP.UTF-8 "$wine" "$@"; }

fail() {
    echo "windows-install-check: FAIL: $*" >&2
    exit 1
}

rm -rf "$WINEPREFIX"
run wineboot --init >/dev/null 2>&1
# Meiryo UI, which Windows has and Wine lacks, as in scripts/wine-run.sh.
run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "Meiryo UI" /t REG_SZ \
    /d "Noto Sans CJK JP" /f >/dev/null 2>&1
installed="$WINEPREFIX/drive_c/Program Files/ippan"
ravo="$WINEPREFIX/drive_c/ravo"

run "$setup" /S
wineserver -w
[ -f "$installed/ippan.exe" ] || fail "no ippan.exe under Program Files"
[ -f "$installed/platforms/qwindows.dll" ] || fail "no platform plugin beside the program"
[ -d "$ravo" ] || fail "the installer made no c:\\ravo\\"
ls "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/"*/ippan*.lnk \
    >/dev/null 2>&1 || fail "no Start-menu shortcut"

printf 'ネルボン錠５ｍｇ,【般】ニトラゼパム錠５ｍｇ\n' | iconv -t CP932 >"$ravo/ippan.csv"
before=$(sha256sum <"$ravo/ippan.csv")
run "$setup" /S
wineserver -w
[ "$(sha256sum <"$ravo/ippan.csv")" = "$before" ] || fail "a second install changed c:\\ravo\\ippan.csv"

cp "$workbooks"/*.xlsx "$ravo/"
run "$installed/ippan.exe" >/dev/null 2>&1 &
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^MainWindow$' | head -1) ||
    fail "the installed program shows no window"
[ -n "$window" ] || fail "the installed program shows no window"
sleep 1
xdotool mousemove --window "$window" 522 14 click 1 # 変換
converted=""
for _ in $(seq 150); do
    converted=$(sha256sum <"$ravo/ippan.csv")
    [ "$converted" != "$before" ] && break
    sleep 0.2
done
sleep 0.5
iconv -f UTF-8 -t CP932 "$expected_list" | cmp -s - "$ravo/ippan.csv" ||
    fail "変換 in the installed program wrote another list than the expected one in CP932"
converted=$(sha256sum <"$ravo/ippan.csv")
wineserver -k
sleep 1

run "$installed/Uninstall.exe" /S
for _ in $(seq 60); do
    [ -e "$installed/ippan.exe" ] || break
    sleep 0.5
done
wineserver -w
[ ! -e "$installed/ippan.exe" ] || fail "the uninstaller left ippan.exe"
[ "$(sha256sum <"$ravo/ippan.csv")" = "$converted" ] || fail "the uninstaller touched c:\\ravo\\"
echo "windows-install-check: installed, reinstalled, converted in CP932 and uninstalled; c:\\ravo\\ kept"
