"""The bias of every richness estimator and of the species-area slope over the
replicates of a sweep: the table `lorvenna bias DIR` prints and writes to
bias.csv, computed the same way from the tables in memory.

Per parameter row and design, over the runs of that row, each at the largest
sample of its run: the mean and standard deviation (divisor n - 1) of the
finite values of every estimator's relative bias and of sar_z - true_sar_z.
Sums run in run order, one value after the other, as the engine adds them,
so every mean and deviation is the engine's to the last bit."""

import math

import numpy as np
import pandas as pd

from ._params import param_kinds
from ._tables import DESIGNS, ESTIMATORS


def _mean_spread(values):
    """Mean and standard deviation (divisor n - 1) of the finite values; NaN
    where there are too few (none; one for the deviation)."""
    finite = [v for v in values if math.isfinite(v)]
    if not finite:
        return math.nan, math.nan
    total = 0.0
    for v in finite:
        total += v
    mean = total / len(finite)
    if len(finite) < 2:
        return mean, math.nan
    squares = 0.0
    for v in finite:
        squares += (v - mean) * (v - mean)
    return mean, math.sqrt(squares / (len(finite) - 1))


def _number(value):
    """A table value as a float, NaN where missing."""
    return math.nan if value is None or value is pd.NA or pd.isna(value) else float(value)


def bias(x):
    """The bias table of a Result (simulate() or read()): one row per parameter
    row and design with `row`, `design`, `replicates`, `n_units`, the
    parameters that differ between the runs, `mean_bias_<estimator>`,
    `sd_bias_<estimator>`, `mean_z_error` and `sd_z_error`, as bias.csv of
    ``lorvenna bias DIR``."""
    runs, samples = x.runs, x.samples
    if len(samples) == 0:
        raise ValueError("x holds no sample of a sampling run (mode \"s\")")
    parameters = [name for name in param_kinds() if name in runs.columns]
    # The parameters that differ between the runs (the design has a column of its own).
    varying = [name for name in parameters
               if name != "Method" and len(pd.unique(runs[name].astype(object))) > 1]
    run_of = {}
    for record in runs[["run", "row"] + varying].itertuples(index=False):
        run_of[int(record[0])] = (0 if pd.isna(record[1]) else int(record[1]), tuple(record[2:]))

    # The largest sample of every run; of equal sizes the later row.
    columns = ["run", "design", "n_units", "sar_z", "true_sar_z"] + ["bias_" + e for e in ESTIMATORS]
    largest = {}
    for record in samples[columns].itertuples(index=False):
        kept = largest.get(record[0])
        if kept is None or record[2] >= kept[2]:
            largest[record[0]] = record

    # Groups by parameter row and design, in the order of their first run.
    groups = {}
    for run in sorted(largest):
        record = largest[run]
        if run not in run_of:
            raise ValueError(f"run {run} of samples is not in runs")
        row, values = run_of[run]
        group = groups.setdefault((row, str(record[1])), {
            "values": values, "replicates": 0, "n_units": 0,
            "bias": [[] for _ in ESTIMATORS], "z_error": []})
        group["replicates"] += 1
        group["n_units"] = max(group["n_units"], int(record[2]))
        for k in range(len(ESTIMATORS)):
            group["bias"][k].append(_number(record[5 + k]))
        group["z_error"].append(_number(record[3]) - _number(record[4]))

    out = {"row": [], "design": [], "replicates": [], "n_units": []}
    out.update({name: [] for name in varying})
    for e in ESTIMATORS:
        out["mean_bias_" + e], out["sd_bias_" + e] = [], []
    out["mean_z_error"], out["sd_z_error"] = [], []
    for (row, design), g in groups.items():
        out["row"].append(row)
        out["design"].append(design)
        out["replicates"].append(g["replicates"])
        out["n_units"].append(g["n_units"])
        for name, value in zip(varying, g["values"]):
            out[name].append(value)
        for e, values in zip(ESTIMATORS, g["bias"]):
            mean, sd = _mean_spread(values)
            out["mean_bias_" + e].append(mean)
            out["sd_bias_" + e].append(sd)
        mean, sd = _mean_spread(g["z_error"])
        out["mean_z_error"].append(mean)
        out["sd_z_error"].append(sd)

    table = pd.DataFrame(out)
    for name in ("row", "replicates", "n_units"):
        table[name] = table[name].astype(np.int64)
    table["design"] = pd.Categorical(table["design"],
                                     categories=list(DESIGNS) + sorted(set(table["design"]) - set(DESIGNS)))
    for name in varying:
        table[name] = table[name].astype(runs[name].dtype)
    for name in table.columns[4 + len(varying):]:
        table[name] = table[name].astype(np.float64)
    return table
