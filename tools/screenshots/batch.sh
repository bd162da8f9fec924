#!/usr/bin/env bash
# Screenshots of the batch windows: the batch settings window with its folders
# filled in, the extension input dialog, and the progress window during a run
# over a few hundred megabytes, with the confirmation at its end.
#   tools/screenshots/batch.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

bin="$(ss_program "${1:-}")"

# A data folder with definition 1, a source folder large enough that the run
# lasts a few seconds, and an empty target folder. lib.sh removes it at the end.
ss_workdir="$(mktemp -d)"
export SS_WORKDIR="$ss_workdir"
crlf_lines() { local line; for line in "$@"; do printf '%s\r\n' "$line"; done; }
crlf_lines a e i o u A E I O U . >"$ss_workdir/brpl1.rpl"
crlf_lines ア エ イ オ ウ Ａ Ｅ Ｉ Ｏ Ｕ 。 | iconv -f UTF-8 -t CP932 >"$ss_workdir/arpl1.rpl"
crlf_lines 0 >"$ss_workdir/krpl1.rpl"
crlf_lines "母音をカナに" | iconv -f UTF-8 -t CP932 >"$ss_workdir/nrpl1.rpl"
source_dir="$ss_workdir/原稿"
target_dir="$ss_workdir/変換後"
mkdir -p "$source_dir" "$target_dir"
perl -e 'print "The quick brown fox jumps over the lazy dog. Pack my box with five dozen liquor jugs.\n" x 11900' \
  >"$source_dir/page-000.txt"
for i in $(seq 1 299); do cp "$source_dir/page-000.txt" "$source_dir/page-$(printf %03d "$i").txt"; done

ss_start_xvfb
ss_start_program "$bin"
main="$(ss_wait_window "ことつぎ")"

# "一括変換"
ss_click_in "$main" $((272 + 44)) $((480 + 16))
batch="$(ss_wait_window "一括処理設定")"
ss_shot batch-settings-empty "$batch" >/dev/null

# The folders typed into their edits, definition 1 picked from the list.
ss_click_in "$batch" 200 82
ss_type "$source_dir"
ss_click_in "$batch" 200 142
ss_type "$target_dir"
ss_click_in "$batch" 420 204
ss_key Down Return
ss_shot batch-settings "$batch"

# "追加": the input dialog over the batch window, an entry typed and added.
ss_click_in "$batch" $((8 + 218 + 37)) $((170 + 22 + 12))
add="$(ss_wait_window "frm_kakucyoushi")"
ss_click_in "$add" 70 52
ss_type ".csv"
ss_click_in "$add" $((8 + 32)) $((72 + 12))  # Add
ss_shot extension-dialog "$add"
ss_click_in "$add" $((80 + 32)) $((72 + 12))  # Cancel
ss_wait_gone "frm_kakucyoushi"

# The reload on closing the dialog drops the chosen definition: pick it again.
ss_click_in "$batch" 420 204
ss_key Down Return

# "変　換"
ss_click_in "$batch" $((340 + 42)) $((322 + 15))
progress="$(ss_wait_window "一括変換中" 30)"
sleep 1
ss_shot batch-progress "$progress"
sleep 1
ss_shot batch-progress-later "$progress" >/dev/null  # the bar has moved on
confirmation="$(ss_wait_window "システムメッセージ" 120)"
ss_shot batch-done "$confirmation"
ss_key Return
ss_wait_gone "一括処理設定"
ls "$target_dir" | wc -l | xargs echo "files converted:"
