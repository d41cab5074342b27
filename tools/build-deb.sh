#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Builds the Debian package with dpkg-buildpackage from a copy of the source
# tree, so that neither the build nor its results land in the checkout.
#   tools/build-deb.sh [OUT]   results in OUT (default: build/deb)
# Uses ccache when it is installed. The build log is OUT/build.log.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(mkdir -p "${1:-$here/build/deb}" && cd "${1:-$here/build/deb}" && pwd)
version=$(dpkg-parsechangelog -l "$here/debian/changelog" -S Version)
# A fixed path, so that ccache finds the objects of the last package build.
src=$out/huepick-$version
log=$out/build.log

rm -rf "$src"
rm -f "$out"/huepick*_"$version"_* "$out"/huepick_"$version".dsc
mkdir -p "$src"
if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    # The files git knows and the new ones it does not ignore, as they are now.
    (cd "$here" && git ls-files -z --cached --others --exclude-standard |
        tar --null -T - --ignore-failed-read -cf -) | tar -C "$src" -xf -
else
    tar -C "$here" --exclude='./build*' --exclude='./obj-*' -cf - . | tar -C "$src" -xf -
fi

if command -v ccache >/dev/null; then
    # debhelper gives the build an empty HOME, so name the cache explicitly.
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache
    CCACHE_DIR=$(ccache -k cache_dir)
    export CCACHE_DIR
fi

echo "building huepick $version in $src (log: $log)"
if ! (cd "$src" && dpkg-buildpackage -us -uc -b -jauto) >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "dpkg-buildpackage failed; the tree is kept in $src" >&2
    exit 1
fi
rm -rf "$src"
ls "$out"/*.deb
