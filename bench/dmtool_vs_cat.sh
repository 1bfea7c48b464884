#!/usr/bin/env bash
# Times `dmtool cells` on a sample as a whole process against `cat` of the same file, in one run.
# Rounds alternate between the two so that machine load hits both alike; the ratio compares the
# median round of each. Settings: DMTOOL, SAMPLE, RUNS (per round), ROUNDS.
set -euo pipefail
cd "$(dirname "$0")/.."

DMTOOL=${DMTOOL:-./build/bin/dmtool}
SAMPLE=${SAMPLE:-samples/00damage.dat}
RUNS=${RUNS:-200}
ROUNDS=${ROUNDS:-7}
GOAL=3

if [[ ! -x $DMTOOL ]]; then
    echo "dmtool_vs_cat: $DMTOOL is missing; run 'make build' first" >&2
    exit 1
fi
"$DMTOOL" cells "$SAMPLE" >/dev/null

now() { date +%s%N; }

# Microseconds per run of the given command over RUNS runs.
time_round() {
    local start end i
    start=$(now)
    for ((i = 0; i < RUNS; i++)); do
        "$@" >/dev/null
    done
    end=$(now)
    echo $(((end - start) / RUNS / 1000))
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

cat_times=()
tool_times=()
for ((round = 0; round < ROUNDS; round++)); do
    cat_times+=("$(time_round cat "$SAMPLE")")
    tool_times+=("$(time_round "$DMTOOL" cells "$SAMPLE")")
done

cat_median=$(median "${cat_times[@]}")
tool_median=$(median "${tool_times[@]}")
ratio=$(awk -v t="$tool_median" -v c="$cat_median" 'BEGIN { printf "%.2f", t / c }')
verdict=$(awk -v r="$ratio" -v g="$GOAL" 'BEGIN { print (r < g) ? "within" : "ABOVE" }')

echo "cat $SAMPLE:            median ${cat_median} us per run (${ROUNDS} rounds of ${RUNS})"
echo "dmtool cells $SAMPLE:   median ${tool_median} us per run (${ROUNDS} rounds of ${RUNS})"
echo "ratio dmtool/cat: ${ratio}x (${verdict} the goal of ${GOAL}x)"
