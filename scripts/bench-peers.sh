#!/usr/bin/env bash
# Side-by-side speed of the thermal benchmark case: LAMMPS (Debian's lammps
# package, eam/fs) on one core and on two MPI ranks against Vantrel's
# single-threaded engine, in one sitting on this machine.
#
#   scripts/bench-peers.sh [REPEAT]      (default 3 rounds)
#
# Installs the lammps package when it is missing (for this comparison only;
# it is no dependency of the program), builds the optimised benchmark, writes
# the 16 x 16 x 10 Cu(100) target with vantrel-crystal, tabulates
# bench/models/cu_sc_rc7.mdl for LAMMPS with bench/peers/make_lammps_inputs.py,
# then runs the three in turn, round by round, so that a drift of the
# machine's speed touches all of them alike.  Prints the potential energy per
# atom of the perfect crystal from both codes, and per code the median (and
# range) of microseconds per atom-step and the half-list neighbours per atom.
set -euo pipefail

repeat="${1:-3}"
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
"$release/tools/vantrel-crystal" --cells 16 16 10 -o "$work/cu.trg" >/dev/null
python3 "$root/bench/peers/make_lammps_inputs.py" "$root/bench/models/cu_sc_rc7.mdl" "$work/cu.trg" "$work"

mpi=()
if command -v mpirun >/dev/null 2>&1; then
  mpi=(mpirun -np 2)
  if [ "$(id -u)" -eq 0 ]; then mpi+=(--allow-run-as-root); fi
fi

# One serial thread per process everywhere.
export OMP_NUM_THREADS=1

lammps() {  # log-file, then the launcher words (if any)
  local log="$1"; shift
  (cd "$work" && "$@" lmp -var dir "$work" -in "$root/bench/peers/thermal_cu.in" -log none -screen "$log" >/dev/null)
}

results="$work/results.txt"
: > "$results"
for round in $(seq 1 "$repeat"); do
  echo "== round $round of $repeat"
  before=$(wc -l < "$results")
  lammps "$work/lmp1.log" env
  python3 - "$work/lmp1.log" lammps-1-core >> "$results" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
loop = re.findall(r"Loop time of ([0-9.eE+-]+) on (\d+) procs for (\d+) steps with (\d+) atoms", text)[-1]
neighs = re.findall(r"Ave neighs/atom = ([0-9.eE+-]+)", text)[-1]
seconds, steps, atoms = float(loop[0]), int(loop[2]), int(loop[3])
print(sys.argv[2], seconds / steps / atoms * 1e6, neighs)
EOF
  if [ ${#mpi[@]} -gt 0 ]; then
    lammps "$work/lmp2.log" "${mpi[@]}"
    python3 - "$work/lmp2.log" lammps-2-ranks >> "$results" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
loop = re.findall(r"Loop time of ([0-9.eE+-]+) on (\d+) procs for (\d+) steps with (\d+) atoms", text)[-1]
neighs = re.findall(r"Ave neighs/atom = ([0-9.eE+-]+)", text)[-1]
seconds, steps, atoms = float(loop[0]), int(loop[2]), int(loop[3])
print(sys.argv[2], seconds / steps / atoms * 1e6, neighs)
EOF
  fi
  "$release/bench/vantrel-job-bench" --case thermal --repeat 1 \
    --model "$root/bench/models/cu_sc_rc7.mdl" > "$work/vantrel.log"
  python3 - "$work/vantrel.log" >> "$results" <<'EOF'
import re, sys
text = open(sys.argv[1]).read()
step = float(re.search(r"whole step\s+([0-9.]+) ns/atom-step", text).group(1))
pairs = re.search(r"([0-9.]+) listed pairs per particle", text).group(1)
print("vantrel-1-thread", step / 1000, pairs)
EOF
  tail -n +"$((before + 1))" "$results" | sed 's/^/  /'
done

echo "== energy check (perfect crystal, before any atom moves)"
grep '^energy check' "$work/lmp1.log" | sed 's/^/  LAMMPS : /'
"$release/bench/vantrel-job-bench" --energy-check --model "$root/bench/models/cu_sc_rc7.mdl" | sed 's/^/  Vantrel: /'

echo "== medians over $repeat rounds (us per atom-step; half-list neighbours per atom)"
python3 - "$results" <<'EOF'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, us, neighs = line.split()
    rows.setdefault(name, []).append((float(us), float(neighs)))
for name, values in rows.items():
    us = [v[0] for v in values]
    print(f"  {name:18s} {statistics.median(us):7.3f} us/atom-step  "
          f"(min {min(us):.3f}, max {max(us):.3f})  {values[-1][1]:6.1f} neighbours/atom")
EOF
