"""Shared fixtures: small parameter rows, the command line built beside the
module, and a comparison of a DataFrame with the command line's CSV file
that does not go through the package's own reader."""

import math
import os
import subprocess

import matplotlib
import numpy as np
import pandas as pd
import pytest

matplotlib.use("Agg")

import lorvenna as lv  # noqa: E402
from lorvenna._tables import column_kinds  # noqa: E402

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
TABLES = ("runs", "species", "samples", "curve", "units", "estimates", "occurrences")


def small_rows(designs=("seq", "ind", "oct", "dep", "lin")):
    """Template row 1 on a 40-cell grid (65 after the rmd rescaling), one row
    per design, with reals that have no short decimal form: the engine holds
    them in single precision."""
    p = lv.template(1, Method=list(designs))
    p["Areal"], p["SampA"], p["maxSa"], p["minSa"], p["StepSa"] = 40, 16, 8, 2, 2
    p["Aggreg"] = 0.5 + 1.5 * np.arange(len(p)) + 1 / 3
    p["Scale2"] = math.pi
    return p


@pytest.fixture(scope="session")
def cli():
    """The command-line program: the one the build passes, else build/lorvenna."""
    path = os.environ.get("LORVENNA_BINARY") or os.path.join(SOURCE, "build", "lorvenna")
    if not os.path.isfile(path):
        pytest.skip("no command-line program (set LORVENNA_BINARY)")
    return path


@pytest.fixture
def run_cli(cli, tmp_path):
    """Runs the command line on rows written as a batch file; returns its
    output folder."""
    def run(params, seed, *options, batch=None, mode="s"):
        if batch is None:
            batch = str(tmp_path / "rows.txt")
            lv.write_params(params, batch)
        out = tmp_path / f"out-{len(list(tmp_path.iterdir()))}"
        done = subprocess.run([cli, "--mode", mode, "--batch", batch, "--tidy", "--seed", str(seed),
                               "--out", str(out), "--quiet", *options], capture_output=True, text=True)
        assert done.returncode in (0, 1), done.stderr
        return out
    return run


def _values(series):
    """Values with None for missing, so int 3 and float 3.0 compare equal and NaN equals NaN."""
    return [None if pd.isna(v) else v for v in series.astype(object)]


# The dtypes each declared kind may take (the nullable one when the column holds NA).
DTYPES = {
    "integer": ("int64", "Int64"),
    "real": ("float64",),
    "logical": ("bool", "boolean"),
    "keyword": ("category",),
    "text": ("object",),
}


def assert_same_as_csv(frame, path, table=None):
    """Every column of `frame` equals pandas' own reading of the command
    line's CSV file: the same names and rows, numbers equal to the last bit,
    texts identical; and each column has the dtype its kind asks for (the
    kinds of `table`, by default the file's name)."""
    theirs = pd.read_csv(path, keep_default_na=False, na_values=["NA"], float_precision="round_trip")
    table = table or os.path.basename(path)[:-4]
    assert list(frame.columns) == list(theirs.columns), path
    assert len(frame) == len(theirs), path
    kinds = column_kinds(table)
    for name in theirs.columns:
        kind = kinds[name]
        assert str(frame[name].dtype) in DTYPES[kind], f"{table}.{name}: {frame[name].dtype} for {kind}"
        ours, expected = frame[name], theirs[name]
        if kind == "real":
            assert np.array_equal(ours.to_numpy(), expected.to_numpy(dtype=float), equal_nan=True), \
                f"{table}.{name}"
        elif kind in ("keyword", "text"):
            assert _values(ours) == _values(expected.astype(object)), f"{table}.{name}"
        else:
            assert _values(ours) == _values(expected), f"{table}.{name}"
