#!/usr/bin/env bash
# Whole-process timing of a batch run: kototsugi-cli batch over 10,000 files of
# 10 KB of Shift-JIS text with ten pairs, side by side with cp -r of the same
# folder and with one perl process that reads each file, applies the same pairs
# and writes it into its target folder. Checks that perl and kototsugi-cli wrote
# the same bytes, then prints the medians and the ratios.
#
#   bench/compare_batch.sh [BUILD_DIR]        (default: build)
#   ROUNDS=5 FILES=10000 FILE_KB=10 KT_BENCH_DIR=/tmp/kototsugi-bench  (optional)
#
# The source folder is generated once in KT_BENCH_DIR and reused; the target
# folders are emptied between rounds, outside the timed part.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
cli=$(bench_cli "${1:-}")
rounds=${ROUNDS:-5}
files=${FILES:-10000}
file_kb=${FILE_KB:-10}
work="${KT_BENCH_DIR:-${TMPDIR:-/tmp}/kototsugi-bench}/batch"
mkdir -p "$work"
cd "$work"

src="src-${files}x${file_kb}KB"
if [[ ! -f $src.complete ]]; then
  echo "generating $files files of $file_kb KB in $work/$src ..."
  rm -rf "$src"
  mkdir -p "$src"
  perl "$here/gen_sjis.pl" files "$src" "$files" $((file_kb * 1024))
  touch "$src.complete"
fi
# Slot 1 here; no changelist.rpl, so the default list (.txt among it) applies.
perl "$here/gen_sjis.pl" slot .
rm -f changelist.rpl

cat >batch.pl <<'EOF'
# One process: every .txt file of the source folder read whole, the pairs of
# subst.pl applied, written under its name into the target folder.
use strict;
use warnings;
my ($src, $dst) = @ARGV;
my $code = do { local $/; open(my $f, '<:raw', 'subst.pl') or die $!; <$f> };
my $convert = eval "sub { $code }" or die $@;
opendir(my $d, $src) or die "$src: $!";
for my $name (readdir $d) {
  next unless $name =~ /\.(?:txt|html|htm|php)\z/ && -f "$src/$name";
  open(my $in, '<:raw', "$src/$name") or die "$src/$name: $!";
  local $_ = do { local $/; <$in> };
  close $in;
  $convert->();
  open(my $out, '>:raw', "$dst/$name") or die "$dst/$name: $!";
  print $out $_;
  close $out or die "$dst/$name: $!";
}
EOF

clean() { rm -rf dst-kt dst-cp dst-pl && mkdir dst-kt dst-pl && sync; }

kt=() cp_t=() perl_t=()
for ((r = 1; r <= rounds; r++)); do
  clean
  kt+=("$(timed /dev/null "$cli" batch 1 "$src" dst-kt)")
  cp_t+=("$(timed /dev/null cp -r "$src" dst-cp)")
  perl_t+=("$(timed /dev/null perl batch.pl "$src" dst-pl)")
  if ((r == 1)); then
    written=$(find dst-kt -type f | wc -l)
    if [[ $written -ne $files ]] || ! diff -r -q dst-kt dst-pl >/dev/null; then
      echo "FAIL: kototsugi-cli wrote $written files, or they differ from perl's" >&2
      exit 1
    fi
  fi
  echo "round $r: kototsugi-cli ${kt[-1]} s, cp -r ${cp_t[-1]} s, perl ${perl_t[-1]} s"
done
rm -rf dst-kt dst-cp dst-pl

perl -e '
  my ($kt, $cp, $pl, $files, $kb, $rounds) = @ARGV;
  printf "%d files of %d KB, ten pairs, perl and kototsugi-cli outputs identical, %d rounds\n",
    $files, $kb, $rounds;
  printf "median  kototsugi-cli %.3f s   cp -r %.3f s   perl %.3f s\n", $kt, $cp, $pl;
  printf "ratio   kototsugi-cli/cp %.2fx (target at most 2x)   perl/kototsugi-cli %.1fx (target at least 4x)\n",
    $kt / $cp, $pl / $kt;
' "$(median "${kt[@]}")" "$(median "${cp_t[@]}")" "$(median "${perl_t[@]}")" "$files" "$file_kb" "$rounds"
