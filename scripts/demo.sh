#!/usr/bin/env bash
# Runs quillon on a copy of the bundled samples (samples/), leaving the originals alone.
# For now this builds and shows what the run will be.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh --build-only

WORK=$(mktemp -d /tmp/quillon-demo.XXXXXX)
shopt -s nullglob
samples=(samples/*)
echo "demo: would copy ${#samples[@]} sample file(s) from samples/ to $WORK"
for sample in "${samples[@]}"; do echo "  $sample"; done
echo "demo: would run build/quillon on the copies and show them before and after"
rmdir "$WORK"
