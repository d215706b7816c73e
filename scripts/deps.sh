# Installs the Debian packages this project needs, only those missing.
# Sourced by ./run and ./test.

QM_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libpocketsphinx-dev libsphinxbase-dev
  pocketsphinx-en-us libpulse-dev g++-mingw-w64-i686 mingw-w64-tools)
QM_RUN_PACKAGES=(pulseaudio-utils)
QM_TEST_PACKAGES=(libgtest-dev libgmock-dev googletest libbenchmark-dev espeak-ng sox xvfb xdotool dbus
  trayer pulseaudio wine wine64 wine32:i386 openbox x11-utils)

qm_missing_packages() {
  local p missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  echo "${missing[@]}"
}

qm_install_packages() {
  local missing sudo=()
  missing=$(qm_missing_packages "$@")
  [ -z "$missing" ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: $missing"
  if [[ " $missing " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  # shellcheck disable=SC2086
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}
