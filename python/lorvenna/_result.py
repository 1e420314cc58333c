"""Runs in the Python process, command-line folders read back, and the object
that holds their tables."""

import os
import re
import warnings

import numpy as np
import pandas as pd

from . import _engine
from ._errors import EngineWarning, Interrupted, ParameterError
from ._params import batch_text, check_params, engine_faults, rank_order_text
from ._tables import TABLES, empty_table, frame_of

# Exit statuses of a session.
_STATUS_ERROR = 1
_STATUS_INTERRUPTED = 130


class Result:
    """The tables of a run: `runs`, `species`, `samples`, `curve`, `units`,
    `timings`, `estimates`, `occurrences` and `rarefaction` (DataFrames with
    the columns of the command line's CSV files; `rarefaction` is empty
    unless the run drew the curves),
    with `habitat` and `maps` (dicts of 2-D arrays [y - 1, x - 1] by run, the
    bottom row first) when asked for. `status` is the exit status the command
    line would give, `messages` its warning lines, `params` the rows that
    were run (None for a folder read back). runs.row is a row's line in a
    batch file, the header being line 1: the row at position k of `params`
    has row k + 2."""

    def __init__(self, tables, habitat=None, maps=None, status=0, messages=(), seed=None, map_species=None,
                 params=None):
        for name in TABLES:
            setattr(self, name, tables[name] if name in tables else empty_table(name))
        self.habitat = dict(sorted((habitat or {}).items()))
        self.maps = dict(sorted((maps or {}).items()))
        self.status = status
        self.messages = list(messages)
        self.seed = seed
        self.map_species = map_species
        self.params = params

    def row_label(self, row):
        """The index label in `params` of a batch line (runs.row); without
        `params`, the row's position counted from 0."""
        if pd.isna(row):
            return None
        position = int(row) - 2
        if self.params is not None and 0 <= position < len(self.params):
            return self.params.index[position]
        return position

    def tables(self):
        """The tables by name, in their usual order."""
        return {name: getattr(self, name) for name in TABLES}

    def __repr__(self):
        ok = int((self.runs["status"] == "ok").sum()) if "status" in self.runs else 0
        rows = self.runs["row"].nunique() if "row" in self.runs else 0
        lines = [f"<lorvenna.Result> {len(self.runs)} pass(es) from {rows} parameter row(s), {ok} ok"]
        for name, table in self.tables().items():
            lines.append(f"  .{name:<8} {len(table):6d} rows x {table.shape[1]} columns")
        if self.habitat:
            lines.append(f"  .habitat  {len(self.habitat)} grid(s)")
        if self.maps:
            lines.append(f"  .maps     {len(self.maps)} grid(s)")
        if "status" in self.runs:
            bad = self.runs.loc[self.runs["status"] != "ok", "status"].unique()
            if len(bad):
                lines.append("  passes not ok: " + "; ".join(map(str, bad)))
        return "\n".join(lines)


def _grids(grids, kind):
    out = {}
    for name, grid in grids.items():
        m = re.fullmatch(kind + r"-([0-9]+)", name)
        if m:
            out[int(m.group(1))] = grid
    return out


def whole_number(value, name, low, high):
    if isinstance(value, bool) or not isinstance(value, (int, np.integer)) or not low <= value <= high:
        raise ValueError(f"{name} must be one whole number from {low} to {high}, not {value!r}")
    return int(value)


def simulate(params, seed=1, replicates=1, jobs=1, mode="s", run_seeds=True, habitat=False, map=0,
             abundances=None, weights=None, rarefaction=False, knots=40, bootstraps=50):
    """Runs every row of `params` (a DataFrame like template()'s) `replicates`
    times in this process, up to `jobs` passes at once, and returns a Result.

    The tables equal those of
    ``lorvenna --mode MODE --batch FILE --tidy --seed SEED --run-seeds
    --replicates K --jobs N [--habitat] [--map N]``
    for a batch file of the same rows: every pass starts from its own seed
    word, made from `seed`, its row and its replicate. `run_seeds=False`
    lets every pass continue the stream of the pass before, as the command
    line does without --run-seeds (then `jobs` must be 1). `mode` "s" builds
    and samples the community, "m" the model community only. `habitat` keeps
    the habitat grid of every pass, `map` (with habitat) the individuals of
    that species per cell.

    `rarefaction=True` adds the table `rarefaction`, as ``--rarefaction
    --knots K --bootstraps B`` does: the rarefaction and extrapolation
    curves of Hill numbers (q = 0, 1, 2) of every pass's largest sample at
    `knots` sizes up to twice it, with bootstrap intervals from `bootstraps`
    samples (0: none) and the true curves beside them. The curves draw from
    a generator of their own: every other table is the same with and
    without them. `knots` and `bootstraps` shape the curves only.

    `abundances` places a given community instead of a generated one: a
    vector of abundances in rank order (for every row) or a list of vectors,
    one per row, with `weights` in the same shape for body weights. Each
    vector becomes a block of a rank-order file and takes its path, as
    ``--rank-order FILE [--weights]`` does.

    Rows the engine would refuse raise ParameterError before anything runs.
    Ctrl-C stops the run in order and raises Interrupted, whose `partial`
    holds the passes finished before it. The engine's warnings become
    EngineWarning warnings.
    """
    if mode not in ("s", "m"):
        raise ValueError('mode must be "s" (model and samples) or "m" (the model community only)')
    seed = whole_number(seed, "seed", 0, 2**32 - 1)
    replicates = whole_number(replicates, "replicates", 1, 1_000_000)
    jobs = whole_number(jobs, "jobs", 1, 1024)
    map = whole_number(map, "map", 0, 2**31 - 1)
    if jobs > 1 and not run_seeds:
        raise ValueError("jobs > 1 needs run_seeds=True: without run seeds every pass continues "
                         "the random stream of the pass before")
    if not isinstance(habitat, bool):
        raise ValueError("habitat must be True or False")
    if map > 0 and not habitat:
        raise ValueError("map needs habitat=True: the species' cells are drawn over the habitat")
    if not isinstance(rarefaction, bool):
        raise ValueError("rarefaction must be True or False")
    if rarefaction and mode != "s":
        raise ValueError('rarefaction draws the curves of the samples: it needs mode "s"')
    knots = whole_number(knots, "knots", 4, 10000)
    bootstraps = whole_number(bootstraps, "bootstraps", 0, 10000)
    checked = check_params(params)
    rank_order = ""
    if abundances is not None:
        if mode != "s":
            raise ValueError('abundances need mode "s"')
        rank_order = rank_order_text(abundances, weights, len(checked))
    elif weights is not None:
        raise ValueError("weights go with abundances")
    raw = _engine.run(batch_text(checked), mode, seed, bool(run_seeds), replicates, jobs, habitat,
                      float(map), rank_order, weights is not None, rarefaction, knots, bootstraps)
    messages = [line for line in raw["messages"].splitlines() if line.strip()]
    if raw["faults"]:
        faults = engine_faults(raw["faults"], list(params.index))
        if faults:
            raise ParameterError(f"params has {len(faults)} faulty row(s); nothing was run:\n  "
                                 + "\n  ".join(f.describe() for f in faults), faults)
    tables = {name: frame_of(name, parsed) for name, parsed in raw["tables"].items() if name in TABLES}
    result = Result(tables, _grids(raw["grids"], "habitat"), _grids(raw["grids"], "map"), raw["status"],
                    messages, seed, map or None, checked)
    interrupt = raw["signal_error"]
    if interrupt is not None and not isinstance(interrupt, KeyboardInterrupt):
        raise interrupt  # a handler of another signal raised: its error, after the session ended in order
    if interrupt is not None or raw["status"] == _STATUS_INTERRUPTED:
        raise Interrupted(f"Run interrupted: the {len(result.runs)} pass(es) finished so far are in "
                          "the exception's `partial`", result) from interrupt
    if messages:
        warnings.warn("\n".join(messages), EngineWarning, stacklevel=2)
    return result


def read(folder):
    """Reads the tables and grids of a folder the command line wrote with
    --tidy (and --habitat, --map N, --rarefaction) into a Result: for the same rows and seed
    word its tables equal those of simulate()."""
    if not os.path.isdir(folder):
        raise FileNotFoundError(f"no folder {folder}")
    if not os.path.isfile(os.path.join(folder, "runs.csv")):
        raise FileNotFoundError(f"no runs.csv in {folder}: the tables are written by a run with --tidy")
    tables, habitat, maps = {}, {}, {}
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        stem, extension = os.path.splitext(name)
        if extension == ".csv" and stem in TABLES:
            tables[stem] = frame_of(stem, _engine.parse_csv(_text(path)))
        m = re.fullmatch(r"(habitat|map)-([0-9]+)\.asc", name)
        if m:
            (habitat if m.group(1) == "habitat" else maps)[int(m.group(2))] = _engine.parse_grid(_text(path))
    return Result(tables, habitat, maps, status=None)


def _text(path):
    with open(path, encoding="utf-8", newline="") as f:
        return f.read()
