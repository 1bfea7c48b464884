#!/usr/bin/env bash
# Start-up of the editor against a minimal Qt window of the same size, from the start of the
# process to its first mapped window, with the peak resident memory then. A third program, the
# same window with only the start window's button and text box, shows what that text costs Qt by
# itself. Runs alternate so that all see the same machine; prints the medians, the time ratios and
# the memory differences. Needs an X display (make bench provides one).
set -euo pipefail
bin=${1:-build/bin}
runs=${RUNS:-15}
# The Windows programs under Wine: STARTUP_LAUNCHER=/usr/lib/wine/wine64, bin a Windows tree's,
# STARTUP_PROBE the host's probe.
launcher=(${STARTUP_LAUNCHER:-})
suffix=${STARTUP_LAUNCHER:+.exe}
probe=${STARTUP_PROBE:-$bin/startup_probe}
export QT_QPA_PLATFORM=xcb

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

programs=(du2damage minimal_window text_window)
declare -A results
for program in "${programs[@]}"; do
    results[$program]=$(mktemp)
    "$probe" "${launcher[@]}" "$bin/$program$suffix" >/dev/null # warm the file cache
done
trap 'rm -f "${results[@]}"' EXIT
for _ in $(seq "$runs"); do
    for program in "${programs[@]}"; do
        "$probe" "${launcher[@]}" "$bin/$program$suffix" >>"${results[$program]}"
    done
done

# Prints "milliseconds KiB processor-milliseconds", the medians of one program's runs.
medians() {
    local file=${results[$1]}
    echo "$(cut -d' ' -f1 "$file" | median) $(cut -d' ' -f2 "$file" | median)" \
        "$(cut -d' ' -f3 "$file" | median)"
}

{
    echo "$runs"
    for program in "${programs[@]}"; do medians "$program"; done
} | awk 'NR == 1 { n = $1; next } { ms[NR - 1] = $1; kib[NR - 1] = $2; cpu[NR - 1] = $3 } END {
    printf "start-up to first mapped window, medians of %d alternating runs\n", n
    printf "  du2damage       %7.1f ms  %6.1f MiB peak  %6.1f ms processor\n", ms[1], kib[1] / 1024, cpu[1]
    printf "  minimal window  %7.1f ms  %6.1f MiB peak  %6.1f ms processor\n", ms[2], kib[2] / 1024, cpu[2]
    printf "  text window     %7.1f ms  %6.1f MiB peak  %6.1f ms processor\n", ms[3], kib[3] / 1024, cpu[3]
    printf "  du2damage against the minimal window: ratio %.2f (goal <= 1.3), memory +%.1f MiB (goal <= 6)\n",
           ms[1] / ms[2], (kib[1] - kib[2]) / 1024
    printf "  the text window against the minimal window: ratio %.2f, memory +%.1f MiB\n",
           ms[3] / ms[2], (kib[3] - kib[2]) / 1024
    printf "  du2damage against the text window: ratio %.2f, memory +%.1f MiB\n",
           ms[1] / ms[3], (kib[1] - kib[3]) / 1024
}'
