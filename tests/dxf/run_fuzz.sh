#!/bin/sh
# run_fuzz.sh FUZZER WORKDIR SECONDS FOLDER...: a short bounded fuzzing run of
# the DXF reader, seeded with the drawings of the folders that exist.
set -e
fuzzer=$1 work=$2 secs=${3:-8}
shift 3
mkdir -p "$work/seeds"
for folder in "$@"; do
  [ -d "$folder" ] || continue
  for f in "$folder"/*.dxf; do
    # small seeds keep the run fast; the big ones are cut to their head
    head -c 20000 "$f" > "$work/seeds/$(basename "$f")"
  done
done
# a fixed seed and run count make the run repeatable; the time caps it
exec "$fuzzer" -seed=1 -runs=4000 -max_total_time="$secs" -timeout=5 -rss_limit_mb=2048 -max_len=30000 \
  -artifact_prefix="$work/" -print_final_stats=0 "$work/seeds"
