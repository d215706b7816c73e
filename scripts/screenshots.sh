#!/usr/bin/env bash
# Refreshes the README's screenshots: builds the Linux program, runs the GUI
# tests that photograph every window under Xvfb (they write
# build/screenshots/linux/), and copies the pictures the README shows into
# docs/screenshots/linux/.
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
echo "docs/screenshots/linux/ refreshed"
