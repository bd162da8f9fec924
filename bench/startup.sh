#!/usr/bin/env bash
# Start-up time of the program: from launch until its main window "ことつぎ" is
# mapped on an Xvfb screen, over several starts in an empty data folder; prints
# each time and the median.
#   bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
source "$(dirname "$0")/../tools/screenshots/lib.sh"

bin="$(ss_program "${1:-}")"
runs="${2:-9}"
ss_start_xvfb

times=()
for run in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  ss_start_program "$bin"
  until xdotool search --onlyvisible --name '^ことつぎ$' >/dev/null 2>&1; do
    kill -0 "$ss_program_pid" 2>/dev/null || ss_die "the program ended before its window showed"
    sleep 0.005
  done
  end=$(date +%s%N)
  ms=$(( (end - start) / 1000000 ))
  times+=("$ms")
  echo "start $run: $ms ms"
  ss_stop_program
  rm -rf "$ss_workdir"; ss_workdir=""
done

median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : int((a[NR/2] + a[NR/2+1]) / 2)}')
echo "median start-up to the main window: $median ms over $runs starts (target: 500 ms)"
