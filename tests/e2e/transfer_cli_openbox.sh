#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zer-evizi-cli send to the reference receiver under openbox (windows listed
# from _NET_CLIENT_LIST_STACKING, restored through _NET_ACTIVE_WINDOW).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/transfer_common.bash"
start_openbox
run_transfer_cases
echo "transfer under openbox: ok"
