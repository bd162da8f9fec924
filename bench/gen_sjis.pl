#!/usr/bin/perl
# Generates Shift-JIS test text and a conversion definition of ten pairs for the
# whole-process benchmarks.
#
#   gen_sjis.pl text BYTES FILE        one file of about BYTES bytes
#   gen_sjis.pl files DIR COUNT BYTES  COUNT files DIR/00000.txt ... of about BYTES each
#   gen_sjis.pl slot DIR               slot 1 (brpl1/arpl1/krpl1/nrpl1.rpl) in DIR, with
#                                      the same pairs as subst.sed and subst.pl
#
# sed and perl match bytes anywhere, ことつぎ never at the second byte of a
# double-byte character. So that all three agree, no pattern starts with a byte
# that is the second byte of some character of the text; this is checked here.
use strict;
use warnings;
use utf8;
use Encode qw(encode);

srand(20240601);

my @japanese = qw(
  これ それ あれ は が を に で と の も です。 ます。 でした。 日本 東京都 大阪
  株式会社 会議 資料 確認 お願い します 今日 明日 電話 番号 漢字 変換 、 。 「 」
  テキスト ファイル データ 予定 書類 新しい 古い 大きな 小さな
);
my @ascii = ('the', 'data', 'file', 'and', '<b>', '</b>', '2024', 'hello', 'world',
             '12345', 'test.html', '(注)', 'x=1;', 'ok');
my @halfwidth = qw(ｶﾀｶﾅ ﾃｽﾄ ﾃﾞｰﾀ ｱｲｳｴｵ ﾜｰﾄﾞ);

my @pairs = (
  ['です。', 'でございます。'],
  ['株式会社', '(株)'],
  ['<b>', '<strong>'],
  ['</b>', '</strong>'],
  ['12345', '一二三四五'],
  ['2024', '令和6'],
  ['ｶﾀｶﾅ', 'カタカナ'],
  ['東京都', 'とうきょうと'],
  ['(注)', '【注】'],
  ['、', '，'],
);

sub sjis { my $s = shift; return encode('cp932', $s, Encode::FB_CROAK) }

my @words = map { sjis($_) } (@japanese, @ascii, @halfwidth);
my @sjisPairs = map { [sjis($_->[0]), sjis($_->[1])] } @pairs;

sub is_lead { my $b = shift; return ($b >= 0x81 && $b <= 0x9F) || ($b >= 0xE0 && $b <= 0xFC) }

# Second bytes of every double-byte character that can stand in the text,
# replacements included since later pairs search what earlier ones wrote.
my %trail;
for my $s (@words, map { $_->[1] } @sjisPairs) {
  my @b = unpack('C*', $s);
  for (my $i = 0; $i < @b; $i++) {
    if (is_lead($b[$i])) { $trail{$b[$i + 1]} = 1; $i++ }
  }
}
for my $p (@sjisPairs) {
  die "a stored value loses its outer blanks\n" if grep { /^[\x00-\x20]|[\x00-\x20]$/ } @$p;
  my $first = unpack('C', $p->[0]);
  die sprintf("pattern starting with 0x%02X can stand at a second byte\n", $first)
    if $trail{$first};
}

sub line {
  my $n = 4 + int(rand(11));
  my $line = '';
  for (1 .. $n) {
    $line .= ' ' if $line ne '' && rand() < 0.4;
    $line .= $words[int(rand(@words))];
  }
  return $line . "\r\n";
}

my @pool = map { line() } 1 .. 20000;

sub text_of {
  my $bytes = shift;
  my $text = '';
  $text .= $pool[int(rand(@pool))] while length($text) < $bytes;
  return $text;
}

sub write_file {
  my ($path, $bytes) = @_;
  open(my $fh, '>:raw', $path) or die "$path: $!\n";
  print $fh $bytes;
  close($fh) or die "$path: $!\n";
}

my $mode = shift // '';
if ($mode eq 'text') {
  my ($bytes, $file) = @ARGV;
  open(my $fh, '>:raw', $file) or die "$file: $!\n";
  my $written = 0;
  while ($written < $bytes) {
    my $chunk = text_of(1 << 20);
    print $fh $chunk;
    $written += length($chunk);
  }
  close($fh) or die "$file: $!\n";
} elsif ($mode eq 'files') {
  my ($dir, $count, $bytes) = @ARGV;
  write_file(sprintf('%s/%05d.txt', $dir, $_), text_of($bytes)) for 0 .. $count - 1;
} elsif ($mode eq 'slot') {
  my ($dir) = @ARGV;
  write_file("$dir/brpl1.rpl", join('', map { "$_->[0]\r\n" } @sjisPairs));
  write_file("$dir/arpl1.rpl", join('', map { "$_->[1]\r\n" } @sjisPairs));
  write_file("$dir/krpl1.rpl", "0\r\n");
  write_file("$dir/nrpl1.rpl", sjis("ベンチマーク") . "\r\n");
  my ($sed, $pl) = ('', '');
  for my $p (@sjisPairs) {
    my ($before, $after) = @$p;
    (my $sb = $before) =~ s{([\\/.*\[\]^\$])}{\\$1}g;
    (my $sa = $after) =~ s{([\\/&])}{\\$1}g;
    $sed .= "s/$sb/$sa/g\n";
    (my $pb = $before) =~ s{([\\/\$\@])}{\\$1}g;
    (my $pa = $after) =~ s{([\\/\$\@])}{\\$1}g;
    $pl .= "s/\\Q$pb\\E/$pa/g;\n";
  }
  write_file("$dir/subst.sed", $sed);
  write_file("$dir/subst.pl", $pl);
} else {
  die "usage: gen_sjis.pl text BYTES FILE | files DIR COUNT BYTES | slot DIR\n";
}
