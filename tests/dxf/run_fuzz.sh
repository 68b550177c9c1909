#!/bin/sh
# run_fuzz.sh FUZZER CORPUS WORKDIR SECONDS [REGRESSIONS]: a short bounded
# fuzzing run of the DXF reader, seeded with small files of the corpus and
# the inputs that once broke the reader.
set -e
fuzzer=$1 corpus=$2 work=$3 secs=${4:-8} regressions=${5:-}
mkdir -p "$work/seeds"
if [ -n "$regressions" ] && [ -d "$regressions" ]; then
  cp "$regressions"/* "$work/seeds/"
fi
if [ -d "$corpus" ]; then
  for f in "$corpus"/*.dxf; do
    # small seeds keep the run fast; the big ones are cut to their head
    head -c 20000 "$f" > "$work/seeds/$(basename "$f")"
  done
fi
# a fixed seed and run count make the run repeatable; the time caps it
exec "$fuzzer" -seed=1 -runs=4000 -max_total_time="$secs" -timeout=5 -rss_limit_mb=2048 -max_len=30000 \
  -artifact_prefix="$work/" -print_final_stats=0 "$work/seeds"
