#!/usr/bin/env bash
# Runs a program of the Windows build under Wine as a Japanese Windows PC
# runs it: the ANSI code page 932 (Shift_JIS), the SDK's DLLs and plugins
# found as if they stood beside it. CTest calls it for every test of that
# build. IPPAN_WINE_DPI (e.g. 144 for 150 %) gives the display's scaling;
# each scaling has a Wine prefix of its own, made on first use.
# Usage: wine-run.sh SDK PREFIX-BASE PROGRAM [ARGUMENTS...]
set -euo pipefail
sdk=$1
prefix=$2${IPPAN_WINE_DPI:+-dpi$IPPAN_WINE_DPI}
shift 2

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: nothing here needs them, and Wine would offer to fetch them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="$(windows_path "$sdk/qt5/bin");$(windows_path "$sdk/karchive/bin");$(windows_path "$sdk/runtime")"
export QT_PLUGIN_PATH=$(windows_path "$sdk/qt5/plugins")

# The prefix is made once, whichever test comes first.
mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.ippan-ready" ]; then
        LC_ALL=ja_JP.UTF-8 "$wine" wineboot --init >/dev/null 2>&1 || true
        # Wine has no Meiryo UI, the font the window asks for, and would
        # fall back to a font of another script and size: Noto Sans CJK JP
        # (fonts-noto-cjk) stands in for it, as Meiryo UI does on Windows.
        LC_ALL=ja_JP.UTF-8 "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
            /v "Meiryo UI" /t REG_SZ /d "Noto Sans CJK JP" /f >/dev/null 2>&1
        if [ -n "${IPPAN_WINE_DPI:-}" ]; then
            LC_ALL=ja_JP.UTF-8 "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
                /t REG_DWORD /d "$IPPAN_WINE_DPI" /f >/dev/null 2>&1
        fi
        WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
        touch "$prefix/.ippan-ready"
    fi
) 9>"$prefix.lock"

# A QTest program's console output is read most reliably from a file.
program=$1
case "$(basename "$program")" in
tst_*)
    log=$(mktemp --suffix=.txt)
    trap 'rm -f "$log"' EXIT
    status=0
    env LC_ALL=ja_JP.UTF-8 "$wine" "$@" -o "$(windows_path "$log"),txt" || status=$?
    cat "$log"
    exit $status
    ;;
esac
exec env LC_ALL=ja_JP.UTF-8 "$wine" "$@"
