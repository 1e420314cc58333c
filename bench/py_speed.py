"""What a run costs from Python against the command line, for the same rows
and seed word: the command line writing its reports and tidy tables to disk,
Python building the same tables in memory as DataFrames. Runs alternate;
medians are shown, of the clock and of processor time (the latter hardly
moves when other work shares the machine).

    PYTHONPATH=build/python/package /usr/bin/python3 bench/py_speed.py build/lorvenna \
        [--repeats N] [--batch FILE] [--replicates K]

The rows are those of bench/scenarios/sweep_16.txt unless another batch file
is named. The passes continue one stream, as
``lorvenna --mode s --batch FILE --tidy --seed 1 --quiet --out DIR`` runs
them; with --replicates K every pass has its own seed word on both sides
(--run-seeds --replicates K).
"""

import argparse

import os
import resource
import statistics
import subprocess
import tempfile
import time

import pandas as pd

import lorvenna as lv


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Python against the command line on the same rows")
    parser.add_argument("binary")
    parser.add_argument("--repeats", type=int, default=5)
    parser.add_argument("--batch", default=os.path.join(here, "scenarios", "sweep_16.txt"))
    parser.add_argument("--replicates", type=int, default=0)
    args = parser.parse_args()
    binary, repeats, batch = os.path.abspath(args.binary), args.repeats, args.batch
    params = lv.read_params(batch)
    sweep = ["--run-seeds", "--replicates", str(args.replicates)] if args.replicates else []
    options = {"run_seeds": True, "replicates": args.replicates} if args.replicates else {"run_seeds": False}
    cli = {"elapsed": [], "cpu": []}
    py = {"elapsed": [], "cpu": []}
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "cli")
        for _ in range(repeats):
            subprocess.run(["rm", "-rf", out], check=True)
            wall, cpu = time.perf_counter(), children_cpu()
            subprocess.run([binary, "--mode", "s", "--batch", batch, "--tidy", "--seed", "1", "--quiet",
                            "--out", out, *sweep], check=True)
            cli["elapsed"].append(time.perf_counter() - wall)
            cli["cpu"].append(children_cpu() - cpu)
            wall, cpu = time.perf_counter(), time.process_time()
            x = lv.simulate(params, seed=1, **options)
            py["elapsed"].append(time.perf_counter() - wall)
            py["cpu"].append(time.process_time() - cpu)
        # The same work: the tables are those of the command line.
        y = lv.read(out)
        for name in ("runs", "species", "samples", "curve", "units"):
            pd.testing.assert_frame_equal(getattr(x, name), getattr(y, name), check_exact=True)
    print(f"{len(params)} rows = {len(x.runs)} passes, {repeats} repeats ({os.path.basename(batch)})")
    for k in ("elapsed", "cpu"):
        a, b = statistics.median(cli[k]), statistics.median(py[k])
        print(f"{k:<7} command line {a:.3f} s, Python {b:.3f} s: Python / command line {b / a:.3f}")


if __name__ == "__main__":
    main()
