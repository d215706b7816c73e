#!/usr/bin/env bash
# The committed pictures are what assets/make_assets.py draws today.
#   assets_test.sh ASSETS_DIR
assets=$1
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 is not installed"; exit 77; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 "$assets/make_assets.py" "$out" >/dev/null || { echo "FAIL: the generator failed"; exit 1; }
status=0
for f in quillmere.ico about.bmp indicator.png indicator.bmp quillmere-48.png quillmere-128.png; do
  if ! cmp -s "$assets/$f" "$out/$f"; then
    echo "FAIL: $f differs from the generator's output; run python3 assets/make_assets.py and commit"
    status=1
  fi
done
exit $status
