# Shared by the whole-process comparison scripts; sourced, not run.

# The absolute path of kototsugi-cli in the build folder given, or a message and exit.
bench_cli() {
  local cli="${1:-build}/src/cli/kototsugi-cli"
  if [[ ! -x $cli ]]; then
    echo "kototsugi-cli not found at $cli; build first or give the build folder" >&2
    exit 1
  fi
  echo "$(cd "$(dirname "$cli")" && pwd)/kototsugi-cli"
}

bench_now() {
  if [[ -n ${EPOCHREALTIME:-} ]]; then echo "${EPOCHREALTIME/,/.}"; else date +%s.%N; fi
}

# Runs the command with its standard output to the file and prints the seconds it took.
timed() {
  local out=$1
  shift
  local t0 t1
  t0=$(bench_now)
  "$@" >"$out"
  t1=$(bench_now)
  perl -e 'printf "%.3f", $ARGV[1] - $ARGV[0]' "$t0" "$t1"
}

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
