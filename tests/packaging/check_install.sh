#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the build into a scratch root and checks what lands where.
#   check_install.sh <cmake> <build dir> <source dir>
set -euo pipefail
cmake=$1 build=$2 src=$3

root=$(mktemp -d "${TMPDIR:-/tmp}/huepick-install.XXXXXX")
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >/dev/null
usr=$root/usr
app_id=io.github.huepick.huepick
sizes=(16 22 32 48 64 128 256)

# Exactly these files, nothing more: a stray install rule shows up here.
expected=(bin/huepick "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml"
          share/huepick/help.html share/man/man1/huepick.1)
for n in "${sizes[@]}"; do expected+=("share/icons/hicolor/${n}x${n}/apps/huepick.png"); done
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$usr" && find . -type f | sed 's|^\./||' | sort) ||
    fail "installed files differ from the list above (< expected, > installed)"

[ -x "$usr/bin/huepick" ] || fail "bin/huepick is not executable"
# Without a display the program says so and ends with status 1.
status=0
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/huepick" 2>&1 >/dev/null) ||
    status=$?
[ "$status" -eq 1 ] || fail "huepick without a display ended with $status, not 1"
[[ $err == huepick:* ]] || fail "huepick without a display printed: $err"

# The desktop entry, metainfo and man page are validated in the package (check_deb.sh).
cmp -s "$src/assets/help.html" "$usr/share/huepick/help.html" || fail "help.html differs"

man_page=$usr/share/man/man1/huepick.1
for word in huepick.ini huepick.html help.html SIGTERM SIGINT SIGHUP; do
    grep -q "$word" "$man_page" || fail "man page does not mention $word"
done

# Each icon is the size its folder names (PNG header: width and height at 16).
for n in "${sizes[@]}"; do
    icon=$usr/share/icons/hicolor/${n}x${n}/apps/huepick.png
    [ -f "$icon" ] || continue
    read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$icon")
    w=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
    h=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
    [ "$w" -eq "$n" ] && [ "$h" -eq "$n" ] || fail "${n}x${n} icon is ${w}x${h}"
done

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "install layout OK"
