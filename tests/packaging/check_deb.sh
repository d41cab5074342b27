#!/usr/bin/env bash
# Builds the Debian package into a scratch folder and checks its control data
# and contents.
#   check_deb.sh <cpack> <build dir> <version>
set -euo pipefail
cpack=$1 build=$2 version=$3

out=$(mktemp -d "${TMPDIR:-/tmp}/huepick-deb.XXXXXX")
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$cpack" -G DEB -B "$out" --config "$build/CPackConfig.cmake" >/dev/null
arch=$(dpkg --print-architecture)
deb=$out/huepick_${version}_${arch}.deb
[ -f "$deb" ] || { echo "FAIL: no $deb; made: $(ls "$out")"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = huepick ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Section)" = graphics ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
# From dpkg-shlibdeps, plus the platform plugin that Qt loads at run time.
names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libxcb1 libc6 libstdc++6 qt6-qpa-plugins; do
    grep -qxF -- "$dep" <<<"$names" || fail "Depends lacks $dep"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/huepick ./usr/share/applications/io.github.huepick.huepick.desktop \
            ./usr/share/metainfo/io.github.huepick.huepick.metainfo.xml \
            ./usr/share/huepick/help.html ./usr/share/man/man1/huepick.1 \
            ./usr/share/icons/hicolor/48x48/apps/huepick.png; do
    grep -qx -- "$path" <<<"$contents" || fail "package lacks $path"
done
# The packaged executable is stripped.
dpkg-deb -x "$deb" "$out/root"
if readelf -S "$out/root/usr/bin/huepick" | grep -q '\.debug_info'; then
    fail "usr/bin/huepick carries debug information"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "package OK: $(basename "$deb")"
