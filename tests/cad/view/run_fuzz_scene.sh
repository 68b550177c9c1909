#!/bin/sh
# run_fuzz_scene.sh FUZZER WORKDIR SECONDS FOLDER...: fuzzes the drawing
# window's picture building for SECONDS, seeded with the drawings of the
# folders that exist (the big ones cut to their head). A short run (under a
# minute) takes a fixed count of inputs from a fixed seed, so that it
# repeats; a longer one grows WORKDIR/corpus. What fails lands in WORKDIR
# (crash-*, timeout-*, oom-*).
set -e
fuzzer=$1 work=$2 secs=${3:-8}
shift 3
mkdir -p "$work/seeds" "$work/corpus"
for folder in "$@"; do
  [ -d "$folder" ] || continue
  for f in "$folder"/*; do
    [ -f "$f" ] && head -c 20000 "$f" > "$work/seeds/$(basename "$f")"
  done
done
if [ "$secs" -lt 60 ]; then
  exec "$fuzzer" -seed=1 -runs=3000 -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
    -max_len=30000 -artifact_prefix="$work/" -print_final_stats=0 "$work/seeds"
fi
exec "$fuzzer" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -max_len=30000 \
  -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "$work/seeds"
