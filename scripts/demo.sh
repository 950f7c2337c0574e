#!/usr/bin/env bash
# The main job on a fresh Debian machine: installs what is missing, builds the release
# build, makes a demo tax-control machine folder and a demo sales database of its own
# (never the user's embedded database), then runs the three jobs through the taxbridge
# command and prints what their windows would show.
#   scripts/demo.sh             demo data under build/demo (made anew each run)
#   DEMO_DIR=/tmp/x scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAXBRIDGE_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target taxbridge
taxbridge="$PWD/$build/cli/taxbridge"

demo="${DEMO_DIR:-$PWD/build/demo}"
rm -rf "$demo"
mkdir -p "$demo/c"
# The demo's own embedded sales database and server list.
export XDG_DATA_HOME="$demo/data"
export TAXBRIDGE_SERVERS_CONF="$demo/servers.conf"
: > "$TAXBRIDGE_SERVERS_CONF"
drive=(--drive "C=$demo/c")

section() { printf '\n=== %s ===\n\n' "$1"; }

section "demo tax-control machine folder c:\\tax = $demo/c/tax"
"$taxbridge" demo init "$demo/c/tax"
"$taxbridge" server init-demo

day=$(date +%F)
section "客户刷新 (taxbridge customers)"
"$taxbridge" customers "${drive[@]}"
section "商品刷新 (taxbridge products)"
"$taxbridge" products "${drive[@]}"
section "发票读入 $day (taxbridge invoices --date $day --lines)"
"$taxbridge" invoices --date "$day" --lines "${drive[@]}"

section "screenshots of the windows (taxbridge-host --screenshots)"
cmake --build "$build" -j2 --target taxbridge-host
TAXBRIDGE_DRIVE_C="$demo/c" QT_QPA_PLATFORM=offscreen \
  "$PWD/$build/host/taxbridge-host" --screenshots "$demo/screenshots"

section "done"
echo "Demo data: $demo (machine tables in $demo/c/tax, sales database in $XDG_DATA_HOME/taxbridge)"
