"""The scores of every estimator over the replicates of a sweep: the table
`lorvenna bias DIR` writes to bias.csv, computed the same way from the tables
in memory.

Per parameter row, design and estimator (the quantity, basis and estimator of
estimates.csv, then the species-area extrapolation and slope of samples.csv),
over the runs of that row, each at the largest sample of its run: with
r = (estimate - truth) / truth, the means of the truth and the estimate, the
mean and standard deviation (divisor n - 1) of r, RMSE and MAE of r, the
share of the intervals that hold the truth, their mean width relative to the
truth, and the mean and deviation of estimate - truth.  Sums run in run
order, one value after the other, as the engine adds them, so every score is
the engine's to the last bit."""

import math

import numpy as np
import pandas as pd

from ._params import param_kinds
from ._tables import DESIGNS, ESTIMATORS, SCORES  # noqa: F401 (ESTIMATORS: the plots' estimators)


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


def _relative(estimate, truth):
    return (estimate - truth) / truth if truth > 0.0 and math.isfinite(estimate) else math.nan


def _scores(replicates):
    """The scores of one estimator from its (truth, estimate, lower95, upper95) per replicate."""
    truth = _mean_spread([r[0] for r in replicates])[0]
    estimate = _mean_spread([r[1] for r in replicates])[0]
    relative = [_relative(r[1], r[0]) for r in replicates]
    mean_bias, sd_bias = _mean_spread(relative)
    mean_error, sd_error = _mean_spread([r[1] - r[0] for r in replicates])
    squares = absolute = 0.0
    counted = intervals = covered = widths = 0
    width = 0.0
    for (t, _, lower, upper), r in zip(replicates, relative):
        if math.isfinite(r):
            squares += r * r
            absolute += abs(r)
            counted += 1
        if not (math.isfinite(lower) and math.isfinite(upper) and math.isfinite(t)):
            continue
        intervals += 1
        covered += 1 if lower <= t <= upper else 0
        if t > 0.0:
            width += (upper - lower) / t
            widths += 1
    return (truth, estimate, mean_bias, sd_bias,
            math.sqrt(squares / counted) if counted else math.nan, absolute / counted if counted else math.nan,
            covered / intervals if intervals else math.nan, width / widths if widths else math.nan,
            mean_error, sd_error)


def bias(x):
    """The bias table of a Result (simulate() or read()): one row per
    parameter row, design and estimator with `row`, `design`, `quantity`,
    `basis`, `estimator`, `replicates`, `n_units`, the parameters that differ
    between the runs and the scores (`mean_truth`, `mean_estimate`,
    `mean_relative_bias`, `sd_relative_bias`, `rmse_relative`,
    `mae_relative`, `ci_coverage`, `mean_relative_ci_width`, `mean_error`,
    `sd_error`), as bias.csv of ``lorvenna bias DIR``."""
    runs, samples, estimates = x.runs, x.samples, x.estimates
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
    columns = ["run", "design", "n_units", "sar_z", "true_sar_z", "est_sar_extrapolated", "true_species_square"]
    largest = {}
    for record in samples[columns].itertuples(index=False):
        kept = largest.get(record[0])
        if kept is None or record[2] >= kept[2]:
            largest[record[0]] = record

    # Groups by parameter row and design, in the order of their first run.
    groups, group_of = [], {}
    for run in sorted(largest):
        record = largest[run]
        if run not in run_of:
            raise ValueError(f"run {run} of samples is not in runs")
        row, values = run_of[run]
        key = (row, str(record[1]))
        if key not in group_of:
            group_of[key] = len(groups)
            groups.append({"row": row, "design": key[1], "values": values, "replicates": 0, "n_units": 0,
                           "cells": {}})
        g = groups[group_of[key]]
        g["replicates"] += 1
        g["n_units"] = max(g["n_units"], int(record[2]))

    # The estimates of the largest sample of every run, in the order of the table.
    names, index = [], {}
    for record in estimates[["run", "n_units", "quantity", "basis", "estimator", "truth", "estimate", "lower95",
                             "upper95"]].itertuples(index=False):
        sample = largest.get(record[0])
        if sample is None:
            raise ValueError(f"run {record[0]} of estimates is not in samples")
        if record[1] != sample[2]:
            continue
        name = (str(record[2]), str(record[3]), str(record[4]))
        if name not in index:
            index[name] = len(names)
            names.append(name)
        run, design = record[0], str(sample[1])
        g = groups[group_of[(run_of[run][0], design)]]
        g["cells"].setdefault(index[name], []).append(
            (_number(record[5]), _number(record[6]), _number(record[7]), _number(record[8])))
    # The species-area extrapolation of the richness and the slope, from samples.
    names += [("richness", "area", "sar_extrapolated"), ("sar_z", "area", "power_fit")]
    for run in sorted(largest):
        s = largest[run]
        g = groups[group_of[(run_of[run][0], str(s[1]))]]
        g["cells"].setdefault(len(names) - 2, []).append((_number(s[6]), _number(s[5]), math.nan, math.nan))
        g["cells"].setdefault(len(names) - 1, []).append((_number(s[4]), _number(s[3]), math.nan, math.nan))

    out = {name: [] for name in ["row", "design", "quantity", "basis", "estimator", "replicates", "n_units"]}
    out.update({name: [] for name in varying})
    out.update({name: [] for name in SCORES})
    for g in groups:
        for e, (quantity, basis, estimator) in enumerate(names):
            for name, value in (("row", g["row"]), ("design", g["design"]), ("quantity", quantity),
                                ("basis", basis), ("estimator", estimator), ("replicates", g["replicates"]),
                                ("n_units", g["n_units"])):
                out[name].append(value)
            for name, value in zip(varying, g["values"]):
                out[name].append(value)
            for name, value in zip(SCORES, _scores(g["cells"].get(e, []))):
                out[name].append(value)

    table = pd.DataFrame(out)
    for name in ("row", "replicates", "n_units"):
        table[name] = table[name].astype(np.int64)
    table["design"] = pd.Categorical(table["design"],
                                     categories=list(DESIGNS) + sorted(set(table["design"]) - set(DESIGNS)))
    for name in ("quantity", "basis"):
        table[name] = pd.Categorical(table[name], categories=sorted(set(table[name])))
    table["estimator"] = table["estimator"].astype(object)
    for name in varying:
        table[name] = table[name].astype(runs[name].dtype)
    for name in SCORES:
        table[name] = table[name].astype(np.float64)
    return table
