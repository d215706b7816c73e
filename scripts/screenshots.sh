#!/usr/bin/env bash
# Refreshes the README's screenshots: builds both programs, runs the tests
# that photograph every window (Linux under Xvfb into build/screenshots/linux/,
# Windows under Wine into build/screenshots/windows/), and copies the
# pictures the README shows into docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
qm_install_packages "${QM_BUILD_PACKAGES[@]}" "${QM_RUN_PACKAGES[@]}" "${QM_TEST_PACKAGES[@]}"

cmake --preset linux >/dev/null
cmake --build build/linux --target quillmere quillmere-test qm-grab-window
rm -rf build/screenshots/linux
ctest --test-dir build/linux --output-on-failure \
  -R '^(gui_xvfb_main_window_and_tray|gui_xvfb_message_boxes_in_front|gui_xvfb_windows_on_a_small_screen_96)$'

mkdir -p docs/screenshots/linux
for shot in main tray-menu add word-list about message-box; do
  cp "build/screenshots/linux/$shot.png" "docs/screenshots/linux/$shot.png"
done
cmake --preset windows >/dev/null
cmake --build --preset windows
ctest --test-dir build/windows --output-on-failure -R '^wine\.app\.'
mkdir -p docs/screenshots/windows
for shot in main-window tray-menu add-window word-list-window about-window message-box; do
  cp "build/screenshots/windows/$shot.png" "docs/screenshots/windows/$shot.png"
done
echo "docs/screenshots/linux/ and docs/screenshots/windows/ refreshed"
