#!/usr/bin/env bash
# Times dmtool commands as whole processes against `cat` of the same files, in one run:
# `cells` of a sample (goal 3x), `diff` of two samples and `load` of a dump (goal 2x each).
# Rounds alternate between cat and dmtool so that machine load hits both alike; each ratio
# compares the median round of each. Settings: DMTOOL, SAMPLE, OTHER, RUNS (per round), ROUNDS.
set -euo pipefail
cd "$(dirname "$0")/.."

DMTOOL=${DMTOOL:-./build/bin/dmtool}
SAMPLE=${SAMPLE:-samples/00damage.dat}
OTHER=${OTHER:-samples/27damage.dat}
RUNS=${RUNS:-200}
ROUNDS=${ROUNDS:-7}

if [[ ! -x $DMTOOL ]]; then
    echo "dmtool_vs_cat: $DMTOOL is missing; run 'make build' first" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$SAMPLE" "$work/target.dat"
"$DMTOOL" dump "$OTHER" >"$work/dump.json"
"$DMTOOL" cells "$SAMPLE" >/dev/null
"$DMTOOL" load "$work/target.dat" "$work/dump.json"
status=0
"$DMTOOL" diff "$SAMPLE" "$OTHER" >/dev/null || status=$?
if ((status != 1)); then
    echo "dmtool_vs_cat: diff of $SAMPLE and $OTHER gave status $status, 1 expected" >&2
    exit 1
fi

now() { date +%s%N; }

# Microseconds per run of the given command over RUNS runs (diff's status 1 means "different";
# every command was checked once above).
time_round() {
    local start end i
    start=$(now)
    for ((i = 0; i < RUNS; i++)); do
        "$@" >/dev/null || true
    done
    end=$(now)
    echo $(((end - start) / RUNS / 1000))
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# compare NAME GOAL "CAT COMMAND" "DMTOOL COMMAND"
compare() {
    local name=$1 goal=$2 cat_command=$3 tool_command=$4 round cat_median tool_median ratio
    local -a cat_times=() tool_times=()
    for ((round = 0; round < ROUNDS; round++)); do
        cat_times+=("$(eval time_round "$cat_command")")
        tool_times+=("$(eval time_round "$tool_command")")
    done
    cat_median=$(median "${cat_times[@]}")
    tool_median=$(median "${tool_times[@]}")
    ratio=$(awk -v t="$tool_median" -v c="$cat_median" 'BEGIN { printf "%.2f", t / c }')
    verdict=$(awk -v r="$ratio" -v g="$goal" 'BEGIN { print (r < g) ? "within" : "ABOVE" }')
    printf '%-44s median %5s us per run\n' "cat (for $name):" "$cat_median"
    printf '%-44s median %5s us per run\n' "dmtool $name:" "$tool_median"
    echo "ratio dmtool/cat: ${ratio}x (${verdict} the goal of ${goal}x)" \
        "(${ROUNDS} rounds of ${RUNS})"
}

compare "cells $SAMPLE" 3 'cat "$SAMPLE"' '"$DMTOOL" cells "$SAMPLE"'
compare "diff $SAMPLE $OTHER" 2 'cat "$SAMPLE" "$OTHER"' '"$DMTOOL" diff "$SAMPLE" "$OTHER"'
compare "load of a dump of $OTHER" 2 'cat "$work/target.dat" "$work/dump.json"' \
    '"$DMTOOL" load "$work/target.dat" "$work/dump.json"'
