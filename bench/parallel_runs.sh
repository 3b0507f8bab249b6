#!/bin/bash
# Throughput of `vantrel-cli run --jobs 2` against `--jobs 1` on the example
# job (per-run random streams on), the two alternated round by round so that
# a change in the machine's load touches both alike, and the CPU time the
# parent process spends per run on putting the workers' runs together.
#
#   bench/parallel_runs.sh [ROUNDS [RUNS]]      (default 3 rounds of 20 runs)
#   VANTREL_CLI=path/to/vantrel-cli bench/parallel_runs.sh
#   EXAMPLE=tests/data/golden/ar_cu100/input bench/parallel_runs.sh
#
# Every run is on one thread (--threads 1), so that the figure is the
# worker processes' own.#
# The impact file repeats the example's five points; with per-run streams
# every run still has its own thermal configuration.  The merge overhead is
# the parent's own CPU time (utime + stime, not its workers') from the moment
# its workers appear to its end, read from /proc every 50 ms.
set -euo pipefail

rounds=${1:-3}
runs=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${VANTREL_CLI:-$root/build/release/cli/vantrel-cli}
[ -x "$cli" ] || { echo "no runner at $cli (set VANTREL_CLI)" >&2; exit 2; }
ticks=$(getconf CLK_TCK)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
example=${EXAMPLE:-$root/examples}
case $example in /*) ;; *) example=$root/$example ;; esac
cp "$example"/ar_cu100.{prj,trg,mdl,run,inl} "$work"/
# The example's options (hot target, result tables), when it has them.
config=()
if [ -f "$example/ar_cu100.cfg" ]; then
    cp "$example"/ar_cu100.cfg "$work"/
    [ -f "$example/ar_cu100.options" ] && cp "$example/ar_cu100.options" "$work"/
    config=(--config "$work/ar_cu100.cfg")
fi
for ((i = 0; i < runs; i++)); do
    sed -n "$((i % 5 + 1))p" "$example/ar_cu100.imp"
done > "$work/ar_cu100.imp"

# run JOBS NAME: prints "wall_seconds parent_merge_cpu_seconds"
run() {
    local jobs=$1 name=$2 start end pid cpu=0 cpu0=-1 stat
    # A fresh start every round: an earlier round's files would be kept as
    # name~ and the log would say so, under each run's own name.
    rm -f "$work/$name".*
    start=$(date +%s.%N)
    "$cli" run --answer yes --quiet "${config[@]}" --set PerRunStreams=1 --set RandomSeed=4711 \
        --jobs "$jobs" --threads 1 --dynamic "$work/$name.vsk" --log "$work/$name.log" \
        "$work/ar_cu100.prj" 2>"$work/$name.err" &
    pid=$!
    while stat=$(cat /proc/$pid/stat 2>/dev/null); do
        # utime and stime: fields 14 and 15, counted after the command's ")".
        set -- ${stat##*) }
        [ "$1" = Z ] && break
        cpu=$(( ${12} + ${13} ))
        ((cpu0 < 0)) && pgrep -P "$pid" >/dev/null && cpu0=$cpu
        sleep 0.05
    done
    wait "$pid" || { echo "--jobs $jobs failed:" >&2; cat "$work/$name.err" >&2; exit 1; }
    end=$(date +%s.%N)
    ((cpu0 < 0)) && cpu0=$cpu
    echo "$(echo "$end - $start" | bc -l) $(echo "($cpu - $cpu0) / $ticks" | bc -l)"
}

echo "runner: $cli"
echo "$runs runs of the example job, $rounds rounds, load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %-10s %-10s %-8s %-22s %s\n' round "jobs 1 s" "jobs 2 s" ratio "merge CPU/run (ms)" load
sum1=0
sum2=0
sumcpu=0
for ((r = 1; r <= rounds; r++)); do
    if ((r % 2)); then
        read -r t1 _ < <(run 1 one)
        read -r t2 c2 < <(run 2 two)
    else
        read -r t2 c2 < <(run 2 two)
        read -r t1 _ < <(run 1 one)
    fi
    cmp -s "$work/one.vsk" "$work/two.vsk" && cmp -s "$work/one.log" "$work/two.log" ||
        { echo "round $r: --jobs 1 and --jobs 2 wrote different files" >&2; exit 1; }
    printf '%-6s %-10.2f %-10.2f %-8.3f %-22.2f %s\n' "$r" "$t1" "$t2" "$(echo "$t1 / $t2" | bc -l)" \
        "$(echo "1000 * $c2 / $runs" | bc -l)" "$(cut -d' ' -f1 /proc/loadavg)"
    sum1=$(echo "$sum1 + $t1" | bc -l)
    sum2=$(echo "$sum2 + $t2" | bc -l)
    sumcpu=$(echo "$sumcpu + $c2" | bc -l)
done
printf 'throughput: --jobs 1 %.3f runs/s, --jobs 2 %.3f runs/s, ratio %.3f\n' \
    "$(echo "$runs * $rounds / $sum1" | bc -l)" "$(echo "$runs * $rounds / $sum2" | bc -l)" \
    "$(echo "$sum1 / $sum2" | bc -l)"
printf 'parent merge CPU per run with --jobs 2: %.2f ms (clock tick %d ms per job)\n' \
    "$(echo "1000 * $sumcpu / ($runs * $rounds)" | bc -l)" "$((1000 / ticks))"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
