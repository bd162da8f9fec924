#!/usr/bin/env bash
# Whole-process timing: kototsugi-cli convert against LC_ALL=C sed -f and perl -p
# with the same ten pairs on the same ~100 MB of Shift-JIS text, run in turn for
# several rounds. Checks that the three outputs are byte-identical, then prints
# the medians, the ratios and the peak memory of kototsugi-cli.
#
#   bench/compare_convert.sh [BUILD_DIR]      (default: build)
#   ROUNDS=5 SIZE_MB=100 KT_BENCH_DIR=/tmp/kototsugi-bench  (environment, optional)
#
# The generated text is kept in KT_BENCH_DIR and reused by later runs.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
cli=$(bench_cli "${1:-}")
rounds=${ROUNDS:-5}
size_mb=${SIZE_MB:-100}
work="${KT_BENCH_DIR:-${TMPDIR:-/tmp}/kototsugi-bench}/convert"
mkdir -p "$work"
cd "$work"

input="input-${size_mb}MB.txt"
if [[ ! -s $input ]]; then
  echo "generating $size_mb MB of Shift-JIS text in $work ..."
  perl "$here/gen_sjis.pl" text $((size_mb * 1024 * 1024)) "$input.part"
  mv "$input.part" "$input"
fi
# Slot 1 in this folder, and the same pairs as a sed script and perl statements.
perl "$here/gen_sjis.pl" slot .


kt=() sed_t=() perl_t=()
for ((r = 1; r <= rounds; r++)); do
  kt+=("$(timed out.kt "$cli" convert 1 "$input")")
  sed_t+=("$(timed out.sed env LC_ALL=C sed -f subst.sed "$input")")
  perl_t+=("$(timed out.pl perl -p subst.pl "$input")")
  if ((r == 1)); then
    if ! cmp -s out.kt out.sed || ! cmp -s out.kt out.pl; then
      echo "FAIL: the three outputs differ" >&2
      exit 1
    fi
  fi
  echo "round $r: kototsugi-cli ${kt[-1]} s, sed ${sed_t[-1]} s, perl ${perl_t[-1]} s"
done

peak="n/a"
if [[ -x /usr/bin/time ]]; then
  peak=$(/usr/bin/time -f %M "$cli" convert 1 "$input" 2>&1 >/dev/null | tail -n 1)
fi
in_bytes=$(wc -c <"$input")
out_bytes=$(wc -c <out.kt)
rm -f out.kt out.sed out.pl

m_kt=$(median "${kt[@]}")
m_sed=$(median "${sed_t[@]}")
m_perl=$(median "${perl_t[@]}")
perl -e '
  my ($kt, $sed, $pl, $peak, $in, $out, $rounds) = @ARGV;
  printf "input %.1f MB, output %.1f MB, ten pairs, outputs identical, %d rounds\n",
    $in / 1048576, $out / 1048576, $rounds;
  printf "median  kototsugi-cli %.3f s   sed %.3f s   perl %.3f s\n", $kt, $sed, $pl;
  printf "ratio   sed/kototsugi-cli %.1fx   perl/kototsugi-cli %.1fx   (target: sed at least 5x)\n",
    $sed / $kt, $pl / $kt;
  if ($peak =~ /^\d+$/) {
    my $limit = 3 * $in / 1048576 + 50;
    printf "peak memory of kototsugi-cli %.0f MB (limit 3 x input + 50 MB = %.0f MB)\n",
      $peak / 1024, $limit;
  } else {
    print "peak memory: /usr/bin/time not available\n";
  }
' "$m_kt" "$m_sed" "$m_perl" "$peak" "$in_bytes" "$out_bytes" "$rounds"
