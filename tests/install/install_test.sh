#!/usr/bin/env bash
# `cmake --install` into a DESTDIR puts exactly the program, its menu entry,
# its icons and the licence in the XDG places, and no autostart entry.
#   install_test.sh BUILD_DIR SOURCE_DIR
build=$1 source=$2
dest=$(mktemp -d "${TMPDIR:-/tmp}/qm-install.XXXXXX")
trap 'rm -rf "$dest"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$dest cmake --install "$build" --prefix /usr/local >"$dest.log" 2>&1 || fail "cmake --install: $(cat "$dest.log")"
rm -f "$dest.log"
root=$dest/usr/local

expected="bin/quillmere
share/applications/quillmere.desktop
share/doc/quillmere/LICENSE
share/icons/hicolor/128x128/apps/quillmere.png
share/icons/hicolor/48x48/apps/quillmere.png"
got=$(cd "$dest" && find . -type f | sed 's|^\./usr/local/||' | LC_ALL=C sort)
[ "$got" = "$expected" ] || fail "installed files:
$got
expected:
$expected"

[ -x "$root/bin/quillmere" ] || fail "the program is not executable"
"$root/bin/quillmere" --version | grep -q "^quillmere " || fail "the installed program does not run"

entry=$root/share/applications/quillmere.desktop
desktop-file-validate "$entry" || fail "the menu entry does not validate"
for line in "Type=Application" "Exec=quillmere" "Icon=quillmere" "Categories=Utility;Accessibility;" \
  "Name=Quillmere Voice Command"; do
  grep -qxF "$line" "$entry" || fail "the menu entry lacks \"$line\""
done

# PNG, and the size its folder promises: IHDR's width and height.
for size in 48 128; do
  icon=$root/share/icons/hicolor/${size}x${size}/apps/quillmere.png
  [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
  dims=$(od -An -tu1 -j16 -N8 "$icon" | awk '{print $3*256+$4 "x" $7*256+$8}')
  [ "$dims" = "${size}x${size}" ] || fail "$icon is $dims, not ${size}x${size}"
done

cmp -s "$root/share/doc/quillmere/LICENSE" "$source/LICENSE" || fail "the installed licence is not LICENSE"
head -n 1 "$source/LICENSE" | grep -qx "MIT License" || fail "LICENSE is not the MIT licence"
echo "pass"
