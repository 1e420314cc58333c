"""Plots of a run, one call each, every one a matplotlib Figure (made without
pyplot, so no window is opened and nothing is kept between calls): show it
in a notebook, save it with fig.savefig(), or draw on fig.axes."""

import math

import numpy as np
import pandas as pd
from matplotlib.figure import Figure
from matplotlib.layout_engine import ConstrainedLayoutEngine
from matplotlib.lines import Line2D
from matplotlib.patches import Patch, Rectangle

from ._bias import ESTIMATORS
from ._field import FieldResult
from ._params import param_kinds
from ._result import Result
from ._tables import DESIGNS

# One colour per design and per estimator, from matplotlib's default cycle.
_PALETTE = ("#1f77b4", "#ff7f0e", "#2ca02c", "#d62728", "#9467bd", "#8c564b", "#e377c2", "#7f7f7f")


def _colour(name, order):
    return _PALETTE[list(order).index(name) % len(_PALETTE)] if name in order else _PALETTE[-1]


# Inches kept free on the right of a figure for its legend.
_LEGEND_WIDTH = 1.4


def _figure(width, height, legend_width=_LEGEND_WIDTH):
    """A figure whose panels leave room on the right for one legend."""
    right = 1 - legend_width / width
    return Figure(figsize=(width, height), layout=ConstrainedLayoutEngine(rect=(0, 0, right, 1)))


def _legend(fig, handles, labels, title, legend_width=_LEGEND_WIDTH):
    right = 1 - legend_width / fig.get_figwidth()
    fig.legend(handles, labels, title=title, loc="center left", bbox_to_anchor=(right + 0.01, 0.5),
               frameon=False)


def _check(x):
    if not isinstance(x, Result):
        raise TypeError("x must be a result of simulate() or read()")


def _pick_run(x, run):
    """The run to draw: the one asked for, or the first pass that is ok."""
    if run is None:
        ok = x.runs.loc[x.runs["status"] == "ok", "run"]
        if len(ok) == 0:
            raise ValueError("no pass of x is ok: see x.runs['status']")
        return int(ok.iloc[0])
    if run not in set(x.runs["run"]):
        raise ValueError(f"x has no run {run}")
    return int(run)


def _largest_sample(samples):
    """For every run, its rows at the largest sample size."""
    if len(samples) == 0:
        return samples
    top = samples.groupby("run")["n_units"].transform("max")
    return samples[samples["n_units"] == top]


def _grid_of_axes(fig, panels, ncols, sharex=True, sharey=True):
    nrows = math.ceil(panels / ncols)
    axes = fig.subplots(nrows, ncols, sharex=sharex, sharey=sharey, squeeze=False).ravel()
    for ax in axes[panels:]:
        ax.remove()
    return axes[:panels]


def plot_sar(x, runs=None):
    """The species-area points (curve) of the largest sample of every pass and
    its power fit S = c A^z (samples: sar_c, sar_z), log-log, coloured by
    design, one panel per parameter row. `runs` keeps some passes."""
    _check(x)
    samples = _largest_sample(x.samples)
    if runs is not None:
        runs = [runs] if np.isscalar(runs) else list(runs)
        unknown = sorted(set(runs) - set(x.runs["run"]))
        if unknown:
            raise ValueError(f"x has no run {', '.join(map(str, unknown))}")
        samples = samples[samples["run"].isin(runs)]
    curve = x.curve.merge(samples[["run", "n_units"]], on=["run", "n_units"])
    curve = curve[(curve["area"] > 0) & (curve["species"] > 0)]
    if len(curve) == 0:
        raise ValueError("no species-area points to draw: the passes have no sampled areas with species")
    info = x.runs[["run", "row"]].merge(samples[["run", "design", "sar_c", "sar_z"]], on="run")
    info = info[info["run"].isin(curve["run"])]

    # Panels by parameter row (its index label in the rows simulated); a
    # dialogue's pass is a panel of its own.
    def panel(r):
        return (f"run {r.run}" if pd.isna(r.row) else f"row {x.row_label(r.row)}") + f": {r.design}"
    info = info.assign(panel=[panel(r) for r in info.itertuples()])
    info = info.sort_values(["row", "run"], na_position="last")
    panels = list(dict.fromkeys(info["panel"]))
    ncols = min(math.ceil(math.sqrt(len(panels))), 4)
    fig = _figure(3.2 * ncols + _LEGEND_WIDTH + 0.6, 2.8 * math.ceil(len(panels) / ncols) + 1)
    axes = dict(zip(panels, _grid_of_axes(fig, len(panels), ncols)))
    designs = [d for d in DESIGNS if d in set(info["design"].astype(str))]
    designs += sorted(set(info["design"].astype(str)) - set(designs))
    for r in info.itertuples():
        ax = axes[r.panel]
        points = curve[curve["run"] == r.run]
        colour = _colour(str(r.design), designs)
        ax.scatter(points["area"], points["species"], s=12, alpha=0.7, color=colour)
        if pd.notna(r.sar_c) and pd.notna(r.sar_z):
            area = np.exp(np.linspace(math.log(points["area"].min()), math.log(points["area"].max()), 40))
            ax.plot(area, r.sar_c * area ** r.sar_z, color=colour, linewidth=1)
    for name, ax in axes.items():
        ax.set_xscale("log")
        ax.set_yscale("log")
        ax.set_title(name, fontsize=9)
    fig.supxlabel("area (cells)")
    fig.supylabel("species")
    fig.suptitle("Species-area points and power fits S = c A^z (largest sample of every pass)")
    handles = [Line2D([], [], color=_colour(d, designs), marker="o", linestyle="", label=d) for d in designs]
    _legend(fig, handles, designs, "design")
    return fig


def _bias_frame(x):
    if isinstance(x, Result):
        samples = _largest_sample(x.samples)
        extra = ["run"] + [c for c in x.runs.columns if c not in samples.columns]
        return samples.merge(x.runs[extra], on="run")
    if isinstance(x, pd.DataFrame):
        return x
    raise TypeError("x must be a result of simulate() or read(), or a DataFrame of samples")


def plot_bias(x, by=None, estimators=("observed", "bootstrap", "chao2", "jack1", "jack2")):
    """For every design, the relative bias of each estimator at the largest
    sample (samples: bias_<estimator>) against the swept parameter `by`
    (found when one parameter varies): replicates as faint points, their
    mean joined by lines, mean +/- one standard deviation as bars.
    `estimators=None` draws every bias_ column. `x` may also be a DataFrame
    with design, the swept column and bias_ columns."""
    d = _bias_frame(x)
    columns = [c for c in d.columns if c.startswith("bias_")]
    if not columns:
        raise ValueError("x has no bias_ columns (bias_observed, bias_chao2, ...)")
    if estimators is not None:
        wanted = ["bias_" + e for e in ([estimators] if isinstance(estimators, str) else estimators)]
        columns = [c for c in wanted if c in columns]
        if not columns:
            raise ValueError(f"x has none of the estimators {', '.join(map(str, estimators))}")
    if "design" not in d.columns:
        raise ValueError("x has no design column")
    if by is None:
        swept = [c for c in param_kinds() if c != "Method" and c in d.columns
                 and d[c].astype(object).nunique() > 1]
        if len(swept) != 1:
            raise ValueError("name the swept parameter with by=: " + (
                "no parameter varies across the passes" if not swept else "several vary: " + ", ".join(swept)))
        by = swept[0]
    if by not in d.columns:
        raise ValueError(f"x has no column {by}")

    numeric = pd.api.types.is_numeric_dtype(d[by]) and not pd.api.types.is_bool_dtype(d[by])
    levels = sorted(d[by].dropna().unique()) if numeric else list(dict.fromkeys(d[by].astype(str)))
    # Values over a decade or more of positive numbers are spaced logarithmically.
    logarithmic = numeric and len(levels) > 1 and levels[0] > 0 and levels[-1] / levels[0] >= 10
    if numeric:
        span = (math.log(levels[-1] / levels[0]) if logarithmic else levels[-1] - levels[0]) if len(levels) > 1 \
            else 1.0
    else:
        span = len(levels)
    designs = [g for g in DESIGNS if g in set(d["design"].astype(str))]
    designs += sorted(set(d["design"].astype(str)) - set(designs))
    names = [c[len("bias_"):] for c in columns]

    def place(values, k):
        """Where estimator k draws a value: estimators side by side around
        it, so that their bars do not hide each other."""
        shift = (k - (len(columns) - 1) / 2) * 0.015 * span
        if not numeric:
            return np.array([levels.index(v) for v in np.asarray(values).astype(str)], dtype=float) + shift
        values = np.asarray(values, dtype=float)
        return values * math.exp(shift) if logarithmic else values + shift

    ncols = min(len(designs), 3)
    fig = _figure(3.6 * ncols + _LEGEND_WIDTH + 0.6, 3.0 * math.ceil(len(designs) / ncols) + 1)
    axes = _grid_of_axes(fig, len(designs), ncols, sharey=True)
    for ax, design in zip(axes, designs):
        rows = d[d["design"].astype(str) == design]
        ax.axhline(0.0, color="grey", linewidth=0.8)
        for k, (column, name) in enumerate(zip(columns, names)):
            colour = _colour(name, ESTIMATORS)
            values = rows[[by, column]].dropna()
            if len(values) == 0:
                continue
            ax.scatter(place(values[by], k), values[column], s=6, alpha=0.25, color=colour)
            summary = values.groupby(by, sort=True, observed=True)[column].agg(["mean", "std"])
            summary["std"] = summary["std"].fillna(0.0)
            where = place(summary.index, k)
            order = np.argsort(where)
            ax.errorbar(where[order], summary["mean"].to_numpy()[order], yerr=summary["std"].to_numpy()[order],
                        color=colour, marker="o", markersize=3, linewidth=1, capsize=2, label=name)
        ax.set_title(design, fontsize=10)
        if logarithmic:
            ax.set_xscale("log")
        if not numeric:
            ax.set_xticks(range(len(levels)), levels)
    fig.supxlabel(by)
    fig.supylabel("relative bias")
    fig.suptitle("Relative bias of the richness estimators (faint: replicates; bars: mean +/- 1 SD)")
    handles, labels = axes[0].get_legend_handles_labels()
    for ax in axes[1:]:
        for h, label in zip(*ax.get_legend_handles_labels()):
            if label not in labels:
                handles.append(h)
                labels.append(label)
    _legend(fig, handles, labels, "estimator")
    return fig


def plot_rad(x, run=None):
    """Rank-abundance of the community (individuals placed; expected
    abundances of a model-only run) and of the largest sample, log scale."""
    _check(x)
    run = _pick_run(x, run)
    sp = x.species[x.species["run"] == run]
    community = sp["expected"] if sp["placed"].isna().all() else sp["placed"]
    fig = Figure(figsize=(6, 4), layout="constrained")
    ax = fig.subplots()
    drawn = 0
    for values, label in ((community, "community"), (sp["in_sample"], "sample")):
        ranked = np.sort(values.dropna().to_numpy(dtype=float))[::-1]
        ranked = ranked[ranked > 0]
        if len(ranked):
            ax.plot(np.arange(1, len(ranked) + 1), ranked, marker="o", markersize=2, linewidth=1, label=label)
            drawn += 1
    if drawn == 0:
        raise ValueError(f"run {run} has no species with individuals")
    ax.set_yscale("log")
    ax.set_xlabel("rank")
    ax.set_ylabel("individuals")
    ax.set_title(f"Rank-abundance of run {run}: community and largest sample")
    ax.legend()
    return fig


def plot_habitat(x, run=None):
    """The habitat grid of a run, the units of its largest sample outlined in
    white and the sampled square dashed (needs simulate(habitat=True) or a
    folder written with --habitat)."""
    _check(x)
    run = _pick_run(x, run)
    if run not in x.habitat:
        raise ValueError(f"x has no habitat grid for run {run}: simulate with habitat=True "
                         "(the command line: --tidy --habitat)")
    grid = x.habitat[run]
    fig = Figure(figsize=(6, 5.2), layout="constrained")
    ax = fig.subplots()
    image = ax.imshow(grid, origin="lower", extent=(0.5, grid.shape[1] + 0.5, 0.5, grid.shape[0] + 0.5),
                      cmap="viridis", interpolation="nearest")
    fig.colorbar(image, ax=ax, label="habitat")
    r = x.runs[x.runs["run"] == run].iloc[0]
    if pd.notna(r["square_offset"]):
        low = r["square_offset"] + 0.5
        ax.add_patch(Rectangle((low, low), r["SampA"], r["SampA"], fill=False, edgecolor="0.15",
                               linestyle="--"))
    units = x.units[(x.units["run"] == run) & x.units["x"].notna()]
    for u in units.itertuples():
        ax.add_patch(Rectangle((u.x - 0.5, u.y - 0.5), u.side, u.cells / u.side, fill=False, edgecolor="white",
                               linewidth=0.8))
    ax.set_xlabel("x (cells)")
    ax.set_ylabel("y (cells)")
    ax.set_title(f"Habitat of run {run}, design {r['Method']}")
    return fig


# The orders of the Hill numbers a rarefaction table holds, with their names.
_ORDERS = {0: "q = 0: species richness", 1: "q = 1: exp of Shannon entropy", 2: "q = 2: inverse Simpson"}


def _curves_to_draw(x, run):
    """The rarefaction table of x, its key column, the curves to draw (runs
    or assemblages) and what the sizes count."""
    if isinstance(x, Result):
        table, key, counted = x.rarefaction, "run", "individuals"
        if len(table) == 0:
            raise ValueError("x has no rarefaction curves: simulate with rarefaction=True "
                             "(the command line: --tidy --rarefaction)")
        if run is None:
            ok = [int(r) for r in x.runs.loc[x.runs["status"] == "ok", "run"] if r in set(table["run"])]
            if not ok:
                raise ValueError("no pass of x that is ok has curves: see x.runs['status']")
            return table, key, [ok[0]], counted
    elif isinstance(x, FieldResult):
        table, key = x.rarefaction, "assemblage"
        counted = "individuals" if x.datatype == "abundance" else "sampling units"
        if len(table) == 0:
            raise ValueError("x has no rarefaction curves: estimate with rarefaction=True")
        if run is None:
            return table, key, list(dict.fromkeys(table[key])), counted
    else:
        raise TypeError("x must be a result of simulate(), read() or estimate()")
    wanted = [run] if isinstance(run, str) or np.isscalar(run) else list(run)
    missing = [w for w in wanted if w not in set(table[key])]
    if missing:
        raise ValueError(f"x has no curves of {key} {', '.join(map(str, missing))}")
    return table, key, wanted, counted


def plot_rarefaction(x, type="size", run=None):
    """The rarefaction and extrapolation curves of Hill numbers of order
    q = 0, 1, 2, one panel each, against the sample size (type="size") or
    the sample coverage (type="coverage"): interpolation solid, the observed
    sample a point, extrapolation dotted, the bootstrap 95 % interval a
    band, and the true curve dashed when the table has it (simulate with
    rarefaction=True). `x` is a result of simulate() or read(), whose first
    pass that is ok is drawn unless `run` names passes, or of estimate(),
    whose assemblages are all drawn unless `run` names some."""
    if type not in ("size", "coverage"):
        raise ValueError('type must be "size" or "coverage"')
    table, key, drawn, counted = _curves_to_draw(x, run)
    across = "m" if type == "size" else "coverage"
    truth_across = "m" if type == "size" else "true_coverage"
    # Room for the longest label of the legend (the names of assemblages).
    legend_width = max(_LEGEND_WIDTH, 0.8 + 0.09 * max(len("observed sample"), *(len(str(d)) for d in drawn)))
    fig = _figure(3 * 3.4 + legend_width + 0.6, 3.8, legend_width)
    axes = dict(zip(_ORDERS, fig.subplots(1, 3, squeeze=False).ravel()))
    bands = truths = False
    for k, which in enumerate(drawn):
        colour = _PALETTE[k % len(_PALETTE)]
        for q, ax in axes.items():
            c = table[(table[key] == which) & (table["q"] == q)].sort_values("m")
            method = c["method"].astype(str).to_numpy()
            at = c[across].to_numpy(dtype=float)
            value = c["estimate"].to_numpy(dtype=float)
            low, high = c["lower95"].to_numpy(dtype=float), c["upper95"].to_numpy(dtype=float)
            if len(c) and not (np.isnan(low).all() or np.isnan(high).all()):
                ax.fill_between(at, low, high, color=colour, alpha=0.2, linewidth=0)
                bands = True
            ax.plot(at[method != "extrapolated"], value[method != "extrapolated"], color=colour, linewidth=1.5)
            ax.plot(at[method != "interpolated"], value[method != "interpolated"], color=colour, linewidth=1.5,
                    linestyle=":")
            ax.plot(at[method == "observed"], value[method == "observed"], color=colour, marker="o", linestyle="")
            if "true_value" in c and c["true_value"].notna().any():
                ax.plot(c[truth_across].to_numpy(dtype=float), c["true_value"].to_numpy(dtype=float),
                        color=colour, linewidth=1, linestyle="--")
                truths = True
    for q, ax in axes.items():
        ax.set_title(_ORDERS[q], fontsize=10)
        ax.set_xlabel(f"{counted} ({'m' if counted == 'individuals' else 't'})" if type == "size"
                      else "sample coverage")
    axes[0].set_ylabel("Hill number")
    whose = f"run {drawn[0]}" if key == "run" and len(drawn) == 1 else ", ".join(map(str, drawn))
    fig.suptitle(f"Rarefaction and extrapolation of {whose}" + (": estimates and true curves" if truths else ""))
    handles = [Line2D([], [], color="0.2", linewidth=1.5, label="interpolated"),
               Line2D([], [], color="0.2", marker="o", linestyle="", label="observed sample"),
               Line2D([], [], color="0.2", linewidth=1.5, linestyle=":", label="extrapolated")]
    if bands:
        handles.append(Patch(color="0.2", alpha=0.2, label="95 % interval"))
    if truths:
        handles.append(Line2D([], [], color="0.2", linewidth=1, linestyle="--", label="true curve"))
    if len(drawn) > 1:
        handles += [Line2D([], [], color=_PALETTE[k % len(_PALETTE)], linewidth=3, label=str(which))
                    for k, which in enumerate(drawn)]
    _legend(fig, handles, [h.get_label() for h in handles], key if len(drawn) > 1 else None, legend_width)
    return fig
