#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets Tavrel up (see setup.sh) and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
exec build/app/tavrel "$@"
