#!/usr/bin/env bash
# Side-by-side speed of the thermal and the large benchmark cases: LAMMPS
# (Debian's lammps package, eam/fs) on one core and on two MPI ranks against
# Vantrel on one and on two threads, in one sitting on this machine.
#
#   scripts/bench-peers.sh [REPEAT [CASES]]   (default 3 rounds, "thermal large")
#
# Installs the lammps package when it is missing (for this comparison only;
# it is no dependency of the program), builds the optimised benchmark, writes
# the 16 x 16 x 10 (thermal, 10,240 atoms) and 50 x 50 x 20 (large, 200,000
# atoms) Cu(100) targets with vantrel-crystal, tabulates
# bench/models/cu_sc_rc7.mdl for LAMMPS with bench/peers/make_lammps_inputs.py,
# then runs the four in turn, round by round, so that a drift of the
# machine's speed touches all of them alike.  Before every run it waits (up
# to MAX_WAIT seconds, default 300) for the one-minute load average to fall
# below MAX_LOAD (default 1.5) and prints the load it started at.  Prints the potential
# energy per atom of the perfect crystal from both codes, and per code and
# case the median (and range) of microseconds per atom-step, the half-list
# neighbours per atom and Vantrel's peak memory.
set -euo pipefail

repeat="${1:-3}"
cases="${2:-thermal large}"
max_load="${MAX_LOAD:-1.5}"
max_wait="${MAX_WAIT:-300}"
root="$(cd "$(dirname "$0")/.." && pwd)"
release="$root/build/release"

if ! command -v lmp >/dev/null 2>&1; then
  echo "Installing Debian's lammps package for the comparison"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends lammps
fi

"$root/scripts/setup.sh"
if [ ! -f "$release/build.ninja" ]; then
  cmake -S "$root" -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTREL_BUILD_BENCH=ON
fi
cmake --build "$release" --target vantrel-job-bench vantrel-crystal

work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-peers-XXXXXX")"
trap 'rm -rf "$work"' EXIT
declare -A cells=([thermal]="16 16 10" [large]="50 50 20")
declare -A steps=([thermal]=1000 [large]=20)
for c in $cases; do
  mkdir -p "$work/$c"
  "$release/tools/vantrel-crystal" --cells ${cells[$c]} -o "$work/$c/cu.trg" >/dev/null
  python3 "$root/bench/peers/make_lammps_inputs.py" "$root/bench/models/cu_sc_rc7.mdl" \
    "$work/$c/cu.trg" "$work/$c"
done

mpi=()
if command -v mpirun >/dev/null 2>&1; then
  mpi=(mpirun -np 2)
  if [ "$(id -u)" -eq 0 ]; then mpi+=(--allow-run-as-root); fi
fi

# One serial thread per LAMMPS process.
export OMP_NUM_THREADS=1

# Waits until the one-minute load average is below max_load (at most
# max_wait seconds) and says what it was.
settle() {
  local load
  for _ in $(seq 1 $((max_wait / 5))); do
    load=$(cut -d' ' -f1 /proc/loadavg)
    if python3 -c "import sys; sys.exit(0 if $load < $max_load else 1)"; then break; fi
    sleep 5
  done
  echo "    load $(cut -d' ' -f1 /proc/loadavg) before $1"
}

lammps() {  # case, log file, then the launcher words (if any)
  local c="$1" log="$2"; shift 2
  (cd "$work/$c" && "$@" lmp -var dir "$work/$c" -var steps "${steps[$c]}" \
     -in "$root/bench/peers/thermal_cu.in" -log none -screen "$log" >/dev/null)
}

lammps_figures() {  # log file, name
  python3 - "$1" "$2" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
loop = re.findall(r"Loop time of ([0-9.eE+-]+) on (\d+) procs for (\d+) steps with (\d+) atoms", text)[-1]
neighs = re.findall(r"Ave neighs/atom = ([0-9.eE+-]+)", text)[-1]
seconds, steps, atoms = float(loop[0]), int(loop[2]), int(loop[3])
print(sys.argv[2], seconds / steps / atoms * 1e6, neighs, "-")
EOF
}

vantrel() {  # case, threads
  "$release/bench/vantrel-job-bench" --case "$1" --repeat 1 --threads "$2" \
    --model "$root/bench/models/cu_sc_rc7.mdl" > "$work/vantrel.log"
  python3 - "$work/vantrel.log" "vantrel-$1-$2-thread" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
step = float(re.search(r"whole step\s+([0-9.]+) ns/atom-step", text).group(1))
pairs = re.search(r"([0-9.]+) listed pairs per particle", text).group(1)
memory = re.search(r"peak memory\s+([0-9.]+) MB", text).group(1)
print(sys.argv[2], step / 1000, pairs, memory)
EOF
}

results="$work/results.txt"
: > "$results"
for round in $(seq 1 "$repeat"); do
  echo "== round $round of $repeat"
  for c in $cases; do
    before=$(wc -l < "$results")
    settle "LAMMPS $c, 1 core"
    lammps "$c" "$work/$c/lmp1.log" env
    lammps_figures "$work/$c/lmp1.log" "lammps-$c-1-core" >> "$results"
    if [ ${#mpi[@]} -gt 0 ]; then
      settle "LAMMPS $c, 2 ranks"
      lammps "$c" "$work/$c/lmp2.log" "${mpi[@]}"
      lammps_figures "$work/$c/lmp2.log" "lammps-$c-2-ranks" >> "$results"
    fi
    for t in 1 2; do
      settle "Vantrel $c, $t thread(s)"
      vantrel "$c" "$t" >> "$results"
    done
    tail -n +"$((before + 1))" "$results" | sed 's/^/  /'
  done
done

echo "== energy check (perfect crystal, before any atom moves)"
for c in $cases; do
  grep -h '^energy check' "$work/$c/lmp1.log" | sed 's/^/  LAMMPS : /'
done
"$release/bench/vantrel-job-bench" --energy-check --model "$root/bench/models/cu_sc_rc7.mdl" | sed 's/^/  Vantrel: /'

echo "== medians over $repeat rounds (us per atom-step; half-list neighbours per atom; peak memory)"
python3 - "$results" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, us, neighs, memory = line.split()
    rows.setdefault(name, []).append((float(us), float(neighs), memory))
for name, values in rows.items():
    us = [v[0] for v in values]
    memory = "" if values[-1][2] == "-" else f"  {values[-1][2]} MB"
    print(f"  {name:26s} {statistics.median(us):7.3f} us/atom-step  "
          f"(min {min(us):.3f}, max {max(us):.3f})  {values[-1][1]:6.1f} neighbours/atom{memory}")
EOF
