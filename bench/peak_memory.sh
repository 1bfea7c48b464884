#!/usr/bin/env bash
# Peak resident memory of whole processes (GNU time's maximum resident set size):
# - dmtool render of a 16384 x 16384 top view over a plan picture against the same render without
#   one (goal: at most 1.3 times);
# - dmtool diff of two files with 20 MB after their records, every other byte differing, as text
#   and as JSON (goal: at most 100 MB each);
# - a paste of 100 MiB of line breaks, and of tabs, into the editor's grid against the same text
#   made but not pasted (goal: at most 100 MB more). Needs dm_bench (make build-tests).
# Settings: BIN (default build/bin), PASTE_MIB (default 100).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BIN:-build/bin}
paste_mib=${PASTE_MIB:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Peak in KiB of one command; its output and exit status do not matter here.
peak() {
    /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>&1 || true
    tail -1 "$work/peak"
}
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# The plan picture: our own top view of the bomber sample, 4096 pixels a side.
"$bin/dmtool" render samples/27damage.dat --view top --zoom 20 --size 4096x4096 -o "$work/plan.png"
render=("$bin/dmtool" render samples/27damage.dat --view top --size 16384x16384 -o "$work/out.png")
plain=$(peak "${render[@]}")
over=$(peak "${render[@]}" --background "$work/plan.png" --background-width 400 \
    --background-centre 0,0)
echo "render 16384x16384: $(mib "$plain") MiB without a picture, $(mib "$over") MiB over one," \
    "ratio $(awk -v a="$over" -v b="$plain" 'BEGIN { printf "%.2f", a / b }') (goal <= 1.3)"

size=$((20 * 1000 * 1000))
{ cat samples/00damage.dat; head -c "$size" < <(yes ''); } >"$work/a.dat"
{ cat samples/00damage.dat; head -c "$size" < <(yes a); } >"$work/b.dat"
for options in "" "--json"; do
    used=$(peak "$bin/dmtool" diff "$work/a.dat" "$work/b.dat" $options)
    echo "diff of two files 20 MB long ${options:-as text}: $(mib "$used") MiB (goal <= 100)"
done

export QT_QPA_PLATFORM=offscreen
for kind in "0:line breaks" "1:tabs"; do
    filter="BM_PasteHugeText/$paste_mib/${kind%%:*}"
    made=$(peak "$bin/dm_bench" --benchmark_filter="$filter/0/")
    pasted=$(peak "$bin/dm_bench" --benchmark_filter="$filter/1/")
    echo "paste of $paste_mib MiB of ${kind#*:}: $(mib "$((pasted - made))") MiB above the" \
        "$(mib "$made") MiB of the editor holding the text (goal <= 100)"
done
