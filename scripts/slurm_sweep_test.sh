#!/usr/bin/env bash
# A sweep on a real one-node Slurm cluster: installs slurm-wlm and munge from
# Debian (as root), starts munged, slurmctld and slurmd on this machine,
# submits examples/slurm-array.sbatch as a 4-task array and a merge job that
# waits for it, and compares the merged folder with the same sweep run
# serially: every report file and table the same, byte for byte.
#   scripts/slurm_sweep_test.sh [PROGRAM]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bin="$(cd "$(dirname "${1:-$root/build/lorvenna}")" && pwd)/$(basename "${1:-$root/build/lorvenna}")"
if ! command -v slurmctld >/dev/null || ! command -v munged >/dev/null; then
  [ "$(id -u)" -eq 0 ] || { echo "slurm-wlm and munge are missing: apt-get install -y slurm-wlm munge"; exit 1; }
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq slurm-wlm munge >/dev/null
fi
work=$(mktemp -d /tmp/lorvenna-slurm.XXXXXX)
chmod 755 "$work"
pids=()
stop() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  [ -f "$work/munged.pid" ] && kill "$(cat "$work/munged.pid")" 2>/dev/null || true
  sleep 0.2
  rm -rf "$work" 2>/dev/null || true
}
trap stop EXIT

# munge: its own key and socket in the scratch folder.
mkdir -p "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chmod 600 "$work/munge/munge.key"
munged --force --key-file="$work/munge/munge.key" --socket="$work/munge/socket" \
  --pid-file="$work/munged.pid" --log-file="$work/munge/log" --seed-file="$work/munge/seed" 2>/dev/null
export MUNGE_SOCKET="$work/munge/socket"

host=$(hostname -s)
cat > "$work/slurm.conf" <<CONF
ClusterName=lorvenna-test
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
SlurmctldPort=16817
SlurmdPort=16818
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
mkdir -p "$work/state" "$work/spool"
export SLURM_CONF="$work/slurm.conf"
slurmctld -D >/dev/null 2>&1 & pids+=($!)
slurmd -D >/dev/null 2>&1 & pids+=($!)
for _ in $(seq 1 60); do sinfo -h -o %T 2>/dev/null | grep -q idle && break; sleep 1; done
sinfo -h -o %T | grep -q idle || { echo "FAIL: the node did not come up"; tail "$work"/slurm*.log; exit 1; }

cd "$work"
designs=(seq ind oct dep lin)
{
  echo "Areal SampA maxSa minSa StepSa Sampfac Method Species maxD minD Dfluc Flucmy FlucStD DWD SWD Class SWDmy SWDStD DWDmy DWDStD Aggreg AreaHet NicheN RndHet FracM Scale1 Scale2 Range Gradient DivInd Permut GridHet"
  for i in $(seq 0 11); do
    echo "80 32 5 1 1 1 ${designs[i % 5]} 40 3 0 0.5 0.5 0.1 power normal 6 3 1 0.5 0 $((i % 4)) 1 0 fix dsq 2.5 1 0 0 sha 2 fix"
  done
} > sweep.txt
opts=(--mode s --tidy --cells --seed 42 --run-seeds --replicates 3 --quiet)
"$bin" --batch sweep.txt --out serial "${opts[@]}"

jid=$(LORVENNA="$bin" sbatch --parsable --array=1-4 --chdir="$work" "$root/examples/slurm-array.sbatch" \
      sweep.txt results "${opts[@]}")
mid=$(sbatch --parsable --dependency=afterok:"$jid" --chdir="$work" --output=merge.log \
      --wrap "$bin merge results results.slices/1 results.slices/2 results.slices/3 results.slices/4")
for _ in $(seq 1 240); do
  state=$(scontrol show job "$mid" 2>/dev/null | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p')
  case "$state" in COMPLETED|FAILED|CANCELLED|TIMEOUT|NODE_FAIL|OUT_OF_MEMORY) break ;; esac
  sleep 1
done
[ "$state" = COMPLETED ] || { echo "FAIL: the merge job ended $state"; cat merge.log lorvenna-*.log 2>/dev/null | tail -20; exit 1; }
diff -r -q -x timings.csv -x lorvenna-manifest.txt serial results || { echo "FAIL: the Slurm sweep differs"; exit 1; }
echo "ok: a 4-task Slurm array and its merge equal the serial sweep"
