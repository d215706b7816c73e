# Installs the Debian packages this project needs, only those missing.
# Sourced by ./run and ./test.

QM_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libpocketsphinx-dev libsphinxbase-dev
  pocketsphinx-en-us flite1-dev libpulse-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools
  libz-mingw-w64-dev)
QM_RUN_PACKAGES=(pulseaudio-utils xdg-utils)
QM_TEST_PACKAGES=(python3 libgtest-dev libgmock-dev googletest libbenchmark-dev espeak-ng flite sox xvfb xdotool dbus
  trayer openbox x11-utils pulseaudio wine wine64 wine32:i386 fonts-wine desktop-file-utils)

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

# Source packages that the Windows build compiles itself (sphinxbase and
# pocketsphinx, cross-built with MinGW). Their deb-src entries are derived from
# the machine's own binary entries, so the same mirror serves both.
QM_SOURCE_PACKAGES=(sphinxbase pocketsphinx)
qm_src_list=/etc/apt/sources.list.d/quillmere-src.sources

qm_enable_deb_src() {
  [ -f "$qm_src_list" ] && return 0
  local sudo=() f tmp
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  tmp=$(mktemp)
  {
    # deb822 files: each stanza of type deb becomes the same stanza of type deb-src.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] || continue
      sed -E 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' "$f"
      echo
    done
    # One-line files: "deb [options] URI SUITE COMPONENTS" keeps its fields.
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
      [ -f "$f" ] || continue
      sed -nE 's/^[[:space:]]*deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+([^[:space:]]+)[[:space:]]+(.*)$/\nTypes: deb-src\nURIs: \2\nSuites: \3\nComponents: \4/p' "$f"
    done
  } >"$tmp"
  "${sudo[@]}" install -m 644 "$tmp" "$qm_src_list"
  rm -f "$tmp"
  "${sudo[@]}" apt-get update -qq
}

# Unpacks the source packages into DIR (once; apt keeps the versions that the
# binary packages have).
qm_fetch_sources() {
  local dir=$1 p
  mkdir -p "$dir"
  qm_install_packages dpkg-dev
  qm_enable_deb_src
  for p in "${QM_SOURCE_PACKAGES[@]}"; do
    compgen -G "$dir/$p-[0-9]*/" >/dev/null && continue
    (cd "$dir" && apt-get source -qq "$p") || return 1
  done
}
