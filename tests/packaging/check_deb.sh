#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Checks the Debian package that tools/build-deb.sh built, unpacked into a
# scratch root as dpkg would install it.
#   check_deb.sh <check> <deb folder> <source dir>
# check: contents | lintian | desktop_entry | appstream | man_page
set -euo pipefail
check=$1 deb_dir=$2 src=$3

version=$(dpkg-parsechangelog -l "$src/debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
deb=$deb_dir/huepick_${version}_${arch}.deb
changes=$deb_dir/huepick_${version}_${arch}.changes
[ -f "$deb" ] || { echo "FAIL: no $deb (see $deb_dir/build.log)"; exit 1; }

root=$(mktemp -d "${TMPDIR:-/tmp}/huepick-deb-root.XXXXXX")
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
usr=$root/usr
app_id=io.github.huepick.huepick

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

check_contents() {
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = huepick ] || fail "Package is $(field Package)"
    [ "$(field Section)" = graphics ] || fail "Section is $(field Section)"

    # A native package: one version number names the release everywhere.
    local cmake_version metainfo_version man_version
    cmake_version=$(sed -n 's/^project(huepick VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
    metainfo_version=$(grep -o -m1 '<release version="[^"]*"' \
        "$usr/share/metainfo/$app_id.metainfo.xml" | cut -d'"' -f2 || true)
    man_version=$(zcat "$usr/share/man/man1/huepick.1.gz" |
        sed -n 's/^\.TH .*"huepick \([^"]*\)".*/\1/p' || true)
    local v
    for v in "$(field Version)" "$cmake_version" "$metainfo_version" "$man_version"; do
        [ "$v" = "$version" ] && continue
        fail "versions disagree: changelog $version, package $(field Version)," \
            "CMake $cmake_version, metainfo $metainfo_version, man page $man_version"
        break
    done

    # Libraries from dpkg-shlibdeps, plus the platform plugins that Qt loads
    # at run time, which it cannot see.
    local depends names
    depends=$(field Depends)
    names=$(tr ',' '\n' <<<"$depends" | awk '{print $1}')
    for dep in libqt6widgets6 libqt6gui6 libqt6core6 libxcb1 libc6 qt6-qpa-plugins qt6-wayland; do
        grep -qxF -- "$dep" <<<"$names" || fail "Depends lacks $dep: $depends"
    done

    # Exactly these files: a stray install rule or a lost one shows up here.
    local expected=(usr/bin/huepick
        "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
        usr/share/huepick/help.html usr/share/man/man1/huepick.1.gz
        usr/share/doc/huepick/changelog.gz usr/share/doc/huepick/copyright
        usr/share/lintian/overrides/huepick)
    for n in 16 22 32 48 64 128 256; do
        expected+=("usr/share/icons/hicolor/${n}x${n}/apps/huepick.png")
    done
    diff <(printf '%s\n' "${expected[@]}" | sort) \
        <(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) ||
        fail "packaged files differ from the list above (< expected, > packaged)"
}

check_lintian() {
    # Every tag at every level is either fixed or overridden with a reason in
    # debian/huepick.lintian-overrides; the root warning is lintian's own.
    local out
    out=$(lintian --pedantic --display-info --display-experimental --color never \
        "$changes" 2>&1 | grep -vxF 'running with root privileges is not recommended!' || true)
    if [ -n "$out" ]; then
        printf '%s\n' "$out"
        fail "lintian --pedantic reports the tags above"
    fi
}

check_desktop_entry() {
    local desktop=$usr/share/applications/$app_id.desktop
    desktop-file-validate "$desktop" || fail "desktop-file-validate"
    # What the menu runs and shows must be in the package.
    local exec icon
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ -x "$usr/bin/$exec" ] || fail "Exec=$exec is not in /usr/bin"
    [ -f "$usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "Icon=$icon has no 48x48 icon"
    grep -qx 'Categories=Graphics;Qt;' "$desktop" || fail "not in the Graphics menu"
    grep -q '^Comment=.' "$desktop" || fail "no Comment"
}

check_appstream() {
    # validate-tree also matches the file name to the id and the launchable
    # to a desktop file of the tree.
    local out status=0
    out=$(appstreamcli validate-tree --pedantic --no-net "$root" 2>&1) || status=$?
    printf '%s\n' "$out"
    [ "$status" -eq 0 ] || fail "appstreamcli validate-tree ended with $status"
    ! grep -qE '^ *[EW]: ' <<<"$out" || fail "appstreamcli validate-tree warns"
}

check_man_page() {
    local page=$usr/share/man/man1/huepick.1.gz out err
    gzip -t "$page" || fail "man page is not gzip"
    err=$(mktemp)
    out=$(MANWIDTH=80 man --warnings -l "$page" 2>"$err") || fail "man -l failed"
    [ ! -s "$err" ] || fail "man -l warns: $(cat "$err")"
    rm -f "$err"
    grep -q '^HUEPICK(1)' <<<"$out" || fail "man -l shows no HUEPICK(1) header"
    for section in NAME SYNOPSIS DESCRIPTION FILES; do
        grep -qx "$section" <<<"$out" || fail "man -l shows no $section section"
    done
}

case $check in
    contents | lintian | desktop_entry | appstream | man_page) "check_$check" ;;
    *) echo "unknown check: $check" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "$check OK: $(basename "$deb")"
