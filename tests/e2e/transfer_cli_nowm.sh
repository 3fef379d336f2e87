#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zer-evizi-cli send to the reference receiver on a bare X server (no window
# manager: windows are listed from the root and restored by mapping).
here=$(cd "$(dirname "$0")" && pwd)
source "$here/transfer_common.bash"
run_transfer_cases
echo "transfer without a window manager: ok"
