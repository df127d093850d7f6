#!/usr/bin/env bash
# The Debian package of a built tree: lintian finds no error, and the programs unpacked into
# a scratch root run and bring their man pages, desktop entry, AppStream file and icons.
#   deb_package.sh BUILD_DIR VERSION
set -uo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/check.sh"

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"; echo "FAILED: cpack"; exit 1
fi
deb=$(echo "$work"/out/tonarion_"$version"-1_*.deb)
check "cpack wrote $deb" test -f "$deb"

check "lintian reports no error" lintian --fail-on error --tag-display-limit 0 "$deb"
check "dpkg-shlibdeps found the Qt libraries" \
    grep -q 'libqt6widgets6' <(dpkg-deb -f "$deb" Depends)

root=$work/root
dpkg -x "$deb" "$root"
check "the installed tonarion-cli runs" \
    test "$("$root/usr/bin/tonarion-cli" --version)" = "tonarion-cli $version"
check "the installed tonarion answers without a display" test "$(
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/tonarion" --version)" = \
    "tonarion $version"
for binary in tonarion tonarion-cli; do
    check "$binary is stripped" bash -c "file '$root/usr/bin/$binary' | grep -q ', stripped'"
    check "the man page of $binary" bash -c \
        "zcat '$root/usr/share/man/man1/$binary.1.gz' | grep -q '^\.TH'"
done
id=org.tonarion.Tonarion
for file in applications/$id.desktop metainfo/$id.metainfo.xml \
    icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
    doc/tonarion/copyright doc/tonarion/changelog.Debian.gz; do
    check "the package holds /usr/share/$file" test -s "$root/usr/share/$file"
done
finish "the Debian package"
