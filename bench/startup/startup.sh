#!/usr/bin/env bash
# Start-up of the editor against a minimal Qt window of the same size, from the start of the
# process to its first mapped window, with the peak resident memory then. Runs alternate so that
# both see the same machine; prints the medians, the time ratio and the memory difference.
# Needs an X display (make bench provides one).
set -euo pipefail
bin=${1:-build/bin}
runs=${RUNS:-15}
export QT_QPA_PLATFORM=xcb

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

editor=$(mktemp) minimal=$(mktemp)
trap 'rm -f "$editor" "$minimal"' EXIT
"$bin/startup_probe" "$bin/minimal_window" >/dev/null # warm the file cache
"$bin/startup_probe" "$bin/du2damage" >/dev/null
for _ in $(seq "$runs"); do
    "$bin/startup_probe" "$bin/minimal_window" >>"$minimal"
    "$bin/startup_probe" "$bin/du2damage" >>"$editor"
done

editor_ms=$(cut -d' ' -f1 "$editor" | median) minimal_ms=$(cut -d' ' -f1 "$minimal" | median)
editor_kib=$(cut -d' ' -f2 "$editor" | median) minimal_kib=$(cut -d' ' -f2 "$minimal" | median)
editor_cpu=$(cut -d' ' -f3 "$editor" | median) minimal_cpu=$(cut -d' ' -f3 "$minimal" | median)
awk -v e="$editor_ms" -v m="$minimal_ms" -v ek="$editor_kib" -v mk="$minimal_kib" \
    -v ec="$editor_cpu" -v mc="$minimal_cpu" -v n="$runs" 'BEGIN {
    printf "start-up to first mapped window, medians of %d alternating runs\n", n
    printf "  du2damage       %7.1f ms  %6.1f MiB peak  %6.1f ms processor\n", e, ek / 1024, ec
    printf "  minimal window  %7.1f ms  %6.1f MiB peak  %6.1f ms processor\n", m, mk / 1024, mc
    printf "  ratio %.2f (goal <= 1.3), memory +%.1f MiB (goal <= 6), processor ratio %.2f\n",
           e / m, (ek - mk) / 1024, ec / mc
}'
