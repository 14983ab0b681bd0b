#!/bin/sh
# Packages the build as a .deb and checks it with lintian: no error, no warning. Skipped (77) where the tools are
# missing.   lintian_test.sh BUILD_DIR
set -eu
for tool in cpack dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$1/CPackConfig.cmake" -B "$out" >"$out/cpack.log" || { cat "$out/cpack.log"; exit 1; }
lintian --display-info --fail-on error,warning "$out"/*.deb
