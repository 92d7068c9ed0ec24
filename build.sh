#!/usr/bin/env bash
# Builds the plug-in and its tools into build/, installing the Debian packages the build needs
# when they are missing. Then "run" starts the plug-in in the simulated host with its sample
# project (further arguments go to dialforge-host), and "test" runs every test.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  echo "usage: ./build.sh run [dialforge-host options] | ./build.sh test" >&2
  exit 2
}
[ $# -ge 1 ] || usage

packages=(cmake g++ make libgtest-dev libgmock-dev nlohmann-json3-dev)
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

case "$1" in
  run)
    cmake --workflow --preset build
    exec build/bin/dialforge-host "${@:2}"
    ;;
  test)
    cmake --workflow --preset test
    ;;
  *)
    usage
    ;;
esac
