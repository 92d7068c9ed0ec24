#!/usr/bin/env bash
# Builds the plug-in and its tools into build/, installing the Debian packages the build needs
# when they are missing. "run" builds only the plug-in, dialforge-host and dialforge-client, then
# runs the plug-in in the simulated host (further arguments go to dialforge-host); "test" builds
# everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  cat <<'TEXT'
usage: ./build.sh run [dialforge-host options]
       ./build.sh test
       ./build.sh --help

  run    builds the plug-in, dialforge-host and dialforge-client, then runs the plug-in in the
         simulated host with its sample project until Ctrl-C (see dialforge-host --help)
  test   builds everything and runs every test

Missing Debian packages are installed first (with sudo unless run as root). The build uses as
many jobs as there are processors, unless CMAKE_BUILD_PARALLEL_LEVEL and CTEST_PARALLEL_LEVEL
say otherwise. Exit status: that of the build, the tests or dialforge-host; 2 for bad arguments.
TEXT
}

case "${1:-}" in
  run | test) ;;
  -h | --help)
    usage
    exit 0
    ;;
  *)
    usage >&2
    exit 2
    ;;
esac

packages=(cmake g++ make libgtest-dev libgmock-dev nlohmann-json3-dev libcli11-dev python3
          python3-jsonschema)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  echo "build.sh: installing ${missing[*]}" >&2
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$(nproc)}"
case "$1" in
  run)
    cmake --workflow --preset run
    exec build/bin/dialforge-host "${@:2}"
    ;;
  test)
    cmake --workflow --preset test
    ;;
esac
