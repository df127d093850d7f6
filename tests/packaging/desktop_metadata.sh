#!/usr/bin/env bash
# The desktop entry and the AppStream file pass the validators software centres rely on, and
# the release entries name the version the programs show.
#   desktop_metadata.sh SOURCE_DIR VERSION
set -uo pipefail
resources=$1/resources
version=$2
id=org.tonarion.Tonarion
source "$(dirname "$0")/../support/check.sh"

report=$(desktop-file-validate "$resources/$id.desktop" 2>&1)
check "desktop-file-validate reports nothing: $report" test -z "$report"
check "appstreamcli validates the metainfo" appstreamcli validate --no-net "$resources/$id.metainfo.xml"
newest_release() {
    python3 -c 'import sys, xml.etree.ElementTree as t
print(t.parse(sys.argv[1]).find("releases/release").get("version"))' "$resources/$id.metainfo.xml"
}
check "the newest AppStream release is $version" test "$(newest_release)" = "$version"
check "the Debian changelog starts with $version" \
    grep -qx "tonarion ($version-1) .*" <(head -n 1 "$resources/debian/changelog")
check "the desktop entry starts the program and shows its icon" \
    grep -qx -e "Icon=$id" "$resources/$id.desktop"
finish "the desktop metadata"
