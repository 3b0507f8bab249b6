#!/usr/bin/env bash
# Energy conservation and sputtering with and without the continuous density
# join (SmoothDensityJoin).  CPU time is what it costs (tens of minutes on
# one core); not part of the tests.
#
#   scripts/density-join-bench.sh BUILD_DIR WORK_DIR [energy|floor|yield|all] [RUNS]
#
# energy: 1 keV Ar at normal incidence on a Sutton-Chen Cu(100) crystallite
#         of 12 x 12 x 10 cells (5,760 atoms, the example Cu model with its
#         thermal displacements), three impact points; each run is repeated
#         with its minimum and maximum time set to 100, 200, ... 1000 fs, so
#         the end-of-run report gives dE/(KE+|PE|) at every 100 fs of the
#         same trajectory (the same seed and impact line give the same
#         displacements, and nothing but the time limits differs).
# floor:  3 keV Ar on a 3 x 3 x 5 cell crystallite (180 atoms), no inelastic
#         model, five impact points, 300 fs: the end-of-run error.
# yield:  RUNS (40) impacts of 1 keV Ar at random points of the surface
#         cell on the 5,760-atom crystal, 1 ps each, every particle written
#         at the end; scripts/count_sputtered.py counts the sputtered atoms.
# Both settings of the option run the same impact points and seeds.
set -euo pipefail
build=$(realpath "$1"); work=$2; what=${3:-all}; runs=${4:-40}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cli=$build/cli/vantrel-cli
crystal=$build/tools/vantrel-crystal
mkdir -p "$work"; cd "$work"

cp "$root/examples/models/cu_sutton_chen.mdl" cu.mdl
[ -f cu5760.trg ] || "$crystal" --cells 12 12 10 --name "Cu(100) 12 x 12 x 10 cells" -o cu5760.trg >/dev/null
[ -f cu180.trg ] || "$crystal" --cells 3 3 5 --name "Cu(100) 3 x 3 x 5 cells" -o cu180.trg >/dev/null

run_file() {  # sample-mode min-time max-time
    printf '%s\n' "$1                 sample mode" "0                 sample period" \
        "0                 skip recorded" "0                 output selection: all" \
        "90                altitude" "0                 azimuth" \
        "4.0E-17           initial timestep (s)" "10                partner-list update interval" \
        "$3 $2           maximum and minimum time (fs)" "400               max. partners"
}

job() {  # name prj trg run imp smooth(0|1) [extra cli args]
    local name=$1 prj=$2 trg=$3 run=$4 imp=$5 smooth=$6; shift 6
    cp "$prj" "$name.prj"
    "$cli" run --quiet --answer yes --set ReportEnergy=1 --set Verbose=1 \
        --set SmoothDensityJoin="$smooth" --target "$trg" --model cu.mdl --run "$run" \
        --impact "$imp" --log "$name.log" "$@" "$name.prj" >/dev/null
}

echo "1.0 18 39.948 0 Ar" > ar1kev.prj
echo "3.0 18 39.948 0 Ar" > ar3kev.prj

if [ "$what" = energy ] || [ "$what" = all ]; then
    printf '%s\n' "0.45 0.45 5.0" "0.90 0.00 5.0" "0.30 1.20 5.0" > energy.imp
    for t in 100 200 300 400 500 600 700 800 900 1000; do
        run_file 0 "$t" "$t" > "energy_$t.run"
        for smooth in 0 1; do
            job "energy_${smooth}_$t" ar1kev.prj cu5760.trg "energy_$t.run" energy.imp "$smooth"
        done
    done
    for smooth in 0 1; do
        echo "SmoothDensityJoin=$smooth: dE/(KE+|PE|) (%) by time, impact points 1 2 3"
        for t in 100 200 300 400 500 600 700 800 900 1000; do
            printf '%5d fs ' "$t"
            grep -o 'dE/(KE+|PE|) = [^%]*' "energy_${smooth}_$t.log" | awk '{printf " %9s", $3}'
            echo
        done
    done
fi

if [ "$what" = floor ] || [ "$what" = all ]; then
    printf '%s\n' "0.00 0.00 5.0" "0.45 0.45 5.0" "0.90 0.00 5.0" "0.90 0.90 5.0" "0.30 1.20 5.0" > floor.imp
    run_file 0 300 300 > floor.run
    for smooth in 0 1; do
        job "floor_$smooth" ar3kev.prj cu180.trg floor.run floor.imp "$smooth"
        echo "SmoothDensityJoin=$smooth, 180 atoms, 3 keV, 300 fs: dE/(KE+|PE|) (%) by run:" \
            $(grep -o 'dE/(KE+|PE|) = [^%]*' "floor_$smooth.log" | awk '{print $3}')
    done
fi

if [ "$what" = yield ] || [ "$what" = all ]; then
    python3 -c "
import random
r = random.Random(2026)
for _ in range($runs): print('%.4f %.4f 5.0' % (r.uniform(0, 3.61), r.uniform(0, 3.61)))
" > yield.imp
    run_file 1 1000 1000 > yield.run
    for smooth in 0 1; do
        job "yield_$smooth" ar1kev.prj cu5760.trg yield.run yield.imp "$smooth" \
            --dynamic "yield_$smooth.vsk" &
    done
    wait
    python3 "$here/count_sputtered.py" --cutoff 7.6 --binding 3.49 yield_0.vsk yield_1.vsk
fi
