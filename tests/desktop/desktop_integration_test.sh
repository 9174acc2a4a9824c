#!/usr/bin/env bash
# Validates the launcher, the plan file type and the AppStream data, then installs the build
# into a scratch prefix and checks that every file lands where the desktop looks for it.
# Usage: desktop_integration_test.sh SOURCE_DIR BUILD_DIR CMAKE
set -uo pipefail
source_dir=$1
build_dir=$2
cmake=${3:-cmake}
app_id=io.github.mapolt.Mapolt
desktop=$source_dir/resources/desktop

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
need() {
  command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (scripts/setup-deps installs it)"; exit 1; }
}
need desktop-file-validate
need appstreamcli
need update-mime-database

desktop-file-validate "$desktop/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$desktop/$app_id.metainfo.xml" || fail "appstreamcli validate"

# The three files name each other: launcher id, icon and plan file type must agree.
grep -qx "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" \
  <(sed 's/^ *//' "$desktop/$app_id.metainfo.xml") || fail "metainfo does not launch $app_id.desktop"
grep -qx "<id>$app_id</id>" <(sed 's/^ *//' "$desktop/$app_id.metainfo.xml") ||
  fail "metainfo id is not $app_id"
grep -qx "Icon=$app_id" "$desktop/$app_id.desktop" || fail "launcher icon is not $app_id"
grep -qx "MimeType=application/x-mapolt-plan;" "$desktop/$app_id.desktop" ||
  fail "launcher does not open plan files"
grep -q '<mime-type type="application/x-mapolt-plan">' "$desktop/$app_id.mime.xml" ||
  fail "MIME package does not define application/x-mapolt-plan"

prefix=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build_dir" --prefix "$prefix" >"$prefix/install.log" 2>&1 ||
  { cat "$prefix/install.log"; fail "cmake --install"; }

expect_file() {
  [ -f "$prefix/$1" ] || fail "not installed: $1"
}
expect_file share/applications/$app_id.desktop
expect_file share/mime/packages/$app_id.xml
expect_file share/metainfo/$app_id.metainfo.xml
expect_file share/icons/hicolor/scalable/apps/$app_id.svg
expect_file share/icons/hicolor/scalable/mimetypes/application-x-mapolt-plan.svg

[ -x "$prefix/bin/mapolt-cli" ] || fail "not installed: bin/mapolt-cli"
"$prefix/bin/mapolt-cli" --help >/dev/null || fail "installed mapolt-cli --help"
if [ -f "$build_dir/mapolt" ]; then
  [ -x "$prefix/bin/mapolt" ] || fail "not installed: bin/mapolt"
fi

# The window's toolbar images, the preset styles and the chart's pictures.
for image in inndTsk2 outTsk2 insbel2 insbef2 moveup2 movedn2 inspect-but Resources charticon \
  printicon mapolt; do
  expect_file share/mapolt/icons/$image.svg
done
expect_file share/mapolt/clean.zqstyle
expect_file share/mapolt/dep.xpm

# The installed program reads its resources from the prefix, not from the source tree: once
# the installed style is gone it cannot make a plan with it.
env -u MAPOLT_RESOURCES "$prefix/bin/mapolt-cli" new "$prefix/a.mapolt" --style school ||
  fail "installed mapolt-cli cannot make a plan with an installed style"
rm -f "$prefix/share/mapolt/school.zqstyle"
if out=$(env -u MAPOLT_RESOURCES "$prefix/bin/mapolt-cli" new "$prefix/b.mapolt" --style school 2>&1); then
  fail "installed mapolt-cli read a style from outside its prefix"
fi
grep -qF "$prefix/share/mapolt/school.zqstyle" <<<"$out" ||
  fail "installed mapolt-cli did not look in $prefix/share/mapolt: $out"

# A PNG gives its width and height as big-endian 32-bit numbers from byte 16 on.
png_size() {
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
for size in 16 32 48 64 128 256; do
  for icon in apps/$app_id.png mimetypes/application-x-mapolt-plan.png; do
    file=share/icons/hicolor/${size}x${size}/$icon
    expect_file "$file"
    if [ -f "$prefix/$file" ]; then
      [ "$(head -c 8 "$prefix/$file" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
        fail "$file is not a PNG"
      [ "$(png_size "$prefix/$file")" = "${size}x${size}" ] ||
        fail "$file is $(png_size "$prefix/$file"), not ${size}x${size}"
    fi
  done
done

# update-mime-database parses the installed package and compiles the type, its glob and its
# magic from it (it also says that the scratch prefix is not searched, which is expected).
update-mime-database "$prefix/share/mime" >"$prefix/mime.log" 2>&1 ||
  { cat "$prefix/mime.log"; fail "update-mime-database"; }
mime=$prefix/share/mime
[ -f "$mime/application/x-mapolt-plan.xml" ] ||
  fail "update-mime-database made no application/x-mapolt-plan"
grep -qx 'application/x-mapolt-plan:\*.mapolt' "$mime/globs" || fail "no *.mapolt glob compiled"
grep -aq '^\[60:application/x-mapolt-plan\]$' "$mime/magic" || fail "no plan file magic compiled"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "desktop integration: all checks passed"
