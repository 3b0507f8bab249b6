#!/usr/bin/env bash
# Runs every fuzz target in DIR for SECONDS each, with a corpus folder per
# target under build/fuzz-corpus (seeded from tests/data when present).
set -euo pipefail
dir=${1:?fuzz build directory}
seconds=${2:-60}
corpus_root=build/fuzz-corpus
mkdir -p "$corpus_root"
seeds=()
[ -d tests/data ] && seeds=(tests/data)
status=0
for target in "$dir"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$corpus_root/$name"
  echo "== $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
      "$corpus_root/$name" "${seeds[@]}" 2>&1 | tail -n 5; then
    status=1
  fi
done
exit $status
