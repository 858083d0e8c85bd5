# Sourced by the project's commands: installs the Debian packages the build needs (and any named
# as arguments), when missing.
tansel_install_deps() {
  local wanted=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev
    libbenchmark-dev libicu-dev icu-devtools nlohmann-json3-dev libcurl4-openssl-dev
    libcpp-httplib-dev python3 ccache "$@")
  local missing=()
  local pkg
  for pkg in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing Debian packages: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# tansel_build DIR [cmake options...] [--target NAME]: configures and builds into DIR. Compiles
# through ccache, with paths taken relative to the checkout, so that another clone or build folder
# of the same sources reuses the objects.
tansel_build() {
  local dir=$1
  shift
  export CCACHE_BASEDIR=$TANSEL_ROOT
  local options=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache) target=()
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then target=(--target "$2"); shift 2; else options+=("$1"); shift; fi
  done
  cmake -S "$TANSEL_ROOT" -B "$dir" -G Ninja "${options[@]}" >/dev/null &&
    cmake --build "$dir" -j"$(nproc)" "${target[@]}"
}
