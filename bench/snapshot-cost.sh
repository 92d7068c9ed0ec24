#!/usr/bin/env bash
# The plug-in's own instructions per snapshot line, counted by callgrind: the listener's
# ProcessMessage, inclusive, less the simulated host's suite functions it calls, over the lines of
# the replies to the fixture's Mixer and Commands snapshots (docs/performance.md).
#
# usage: bench/snapshot-cost.sh [BUILD_DIR [FIXTURE [PLUGIN]]]
# With SNAPSHOT_COST_JSON=1: the Mixer snapshot alone in protocol 2, per channel instead of line.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
fixture=${2:-bench/snapshot-cost.json}
plugin=${3:-$build/bin/Dialforge.so}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Symbols bound at load, so that no lazy binding is counted in the first request.
LD_BIND_NOW=1 valgrind --tool=callgrind --callgrind-out-file="$scratch/callgrind.out" \
  --compress-strings=no --compress-pos=no \
  --toggle-collect='*DialforgeListener::ProcessMessage*' \
  "$build/bin/dialforge-bench" --plugin "$plugin" --snapshot-cost "$fixture" \
  ${SNAPSHOT_COST_JSON:+--snapshot-cost-json} \
  >"$scratch/lines" 2>"$scratch/valgrind" || { cat "$scratch/valgrind" >&2; exit 1; }
lines=$(awk '{print $1}' "$scratch/lines")

# The host's share is the inclusive cost of every call from the plug-in's code into a suite
# function of the simulated host.
awk -v lines="$lines" '
  function host(name) { return name ~ /^dialforge_host::/ }
  function entry(name) {
    return name ~ /^dialforge_host::\(anonymous namespace\)::(Basic|Suites|String|Host|Transport|Command|Mixer|Lumetri)_[A-Za-z0-9]+\(/
  }
  /^fn=/ { caller = substr($0, 4); next }
  /^cfn=/ { callee = substr($0, 5); next }
  /^calls=/ { arc = 1; next }
  arc { arc = 0; if (entry(callee) && !host(caller)) hostCost += $2; next }
  /^(summary|totals):/ { total = $2 }
  END {
    plugin = total - hostCost
    printf "%d reply lines; ProcessMessage %d instructions, of which the host suite functions %d\n",
           lines, total, hostCost
    printf "plug-in: %.0f instructions per line; host: %.0f per line\n",
           plugin / lines, hostCost / lines
  }' "$scratch/callgrind.out"
