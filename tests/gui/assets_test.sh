#!/usr/bin/env bash
# The committed pictures are what assets/make_assets.py draws today.
#   assets_test.sh ASSETS_DIR PYTHON3
assets=$1
python=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$python" "$assets/make_assets.py" "$out" >/dev/null || { echo "FAIL: the generator failed"; exit 1; }
status=0
for f in quillmere.ico about.bmp indicator.png indicator.bmp quillmere-48.png quillmere-128.png; do
  if ! cmp -s "$assets/$f" "$out/$f"; then
    echo "FAIL: $f differs from the generator's output; run python3 assets/make_assets.py and commit"
    status=1
  fi
done
exit $status
