#!/usr/bin/env bash
# Screenshots of a single conversion: the definition editor with a slot of
# Japanese pairs loaded, the conversion dialog with that slot picked, and the
# result window with the converted text.
#   tools/screenshots/conversion.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

bin="$(ss_program "${1:-}")"

# Slot 1 on disk, as the editor writes it (Shift-JIS, CR LF).
data="$(mktemp -d)"
trap 'rm -rf "$data"; ss_cleanup' EXIT
sjis() { printf '%s\r\n' "$@" | iconv -f UTF-8 -t CP932; }
sjis "東京" "ですます" "ＰＣ" "髙橋" "①" "" "" "" "" "全角　空白" >"$data/brpl1.rpl"
sjis "大阪" "だ" "パソコン" "高橋" "(1)" "" "" "" "" "半角 空白" >"$data/arpl1.rpl"
sjis "0" >"$data/krpl1.rpl"
sjis "関西へ書き換え" >"$data/nrpl1.rpl"

ss_start_xvfb
SS_WORKDIR="$data" ss_start_program "$bin"
main="$(ss_wait_window "ことつぎ")"

# "変換定義指定" opens the editor; Down in the name field picks the first slot.
ss_click_in "$main" $((176 + 44)) $((440 + 16))
editor="$(ss_wait_window "定義編集")"
ss_click_in "$editor" 40 18
ss_key Down
ss_shot editor "$editor" >/dev/null
ss_click_in "$editor" $((219 + 52)) $((362 + 16))  # 閉じる
ss_wait_gone "定義編集"

# xdotool drops characters when it has to remap many keys quickly: type slowly,
# a few characters at a time.
type_slowly() {
  local text="$1" i
  for ((i = 0; i < ${#text}; i += 4)); do
    xdotool type --delay 80 -- "${text:i:4}"
    sleep 0.1
  done
}
ss_click_in "$main" 200 200
type_slowly "東京の髙橋さんはＰＣを使いますですます。"
ss_key Return
type_slowly "①番の窓口は全角　空白のある行です。"
ss_key Return

# "変　　換" opens the conversion dialog with nothing chosen.
ss_click_in "$main" $((368 + 44)) $((440 + 16))
dialog="$(ss_wait_window "変換定義ファイル指定")"
ss_click_in "$dialog" $((128 + 40)) 18
ss_key Down
ss_shot conversion-picked "$dialog" >/dev/null

ss_click_in "$dialog" $((8 + 56)) $((48 + 16))  # 変　　換
result="$(ss_wait_window "変換後")"
ss_shot result "$result" >/dev/null
ss_click_in "$result" $((360 + 48)) $((440 + 16))  # 閉じる
ss_wait_gone "変換後"
ss_wait_gone "変換定義ファイル指定"
ss_shot after-conversion "$main"
