#!/usr/bin/env bash
# Screenshots of the main window (with Japanese text in the memo, after
# "変　　換" has shown its byte count) and of the About window.
#   tools/screenshots/main.sh [BUILD_DIR]
set -euo pipefail
source "$(dirname "$0")/lib.sh"

bin="$(ss_program "${1:-}")"
ss_start_xvfb
ss_start_program "$bin"
main="$(ss_wait_window "ことつぎ")"
ss_shot main-empty "$main" >/dev/null

# Text goes into the memo, which has the focus at start.
ss_click_in "$main" 200 200
ss_type "ことつぎは Shift-JIS の文章を置き換えます。"
ss_key Return
ss_type "全角　スペースと半角 スペース、ｶﾀｶﾅ、①②③、髙﨑。"
ss_key Return
ss_type "A long line wraps at the right edge of the memo without a horizontal scroll bar, as words allow."
ss_shot main-text "$main"

# "変　　換" shows the byte count and opens the conversion dialog; close it again.
ss_click_in "$main" $((368 + 44)) $((440 + 16))
dialog="$(ss_wait_window "変換定義ファイル指定")"
ss_shot conversion-dialog "$dialog" >/dev/null
ss_click_in "$dialog" $((128 + 56)) $((48 + 16))  # キャンセル
ss_wait_gone "変換定義ファイル指定"
ss_shot main-count "$main"

# "バージョン情報"
ss_click_in "$main" $((8 + 44)) $((440 + 16))
about="$(ss_wait_window "バージョン情報")"
ss_shot about "$about"
