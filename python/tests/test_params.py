"""Parameter rows: the template swept, values carried to the engine exactly,
and bad rows refused by row and column before anything runs."""

import math

import numpy as np
import pandas as pd
import pytest

import lorvenna as lv
from conftest import small_rows


def test_a_template_row_swept():
    p = lv.template(1, Aggreg=[0, 4, 16], Method=["seq", "dep"])
    row1 = lv.template(1)
    assert len(row1) == 1 and len(lv.template()) == 5
    assert list(zip(p["Aggreg"], p["Method"])) == [(0, "seq"), (0, "dep"), (4, "seq"), (4, "dep"),
                                                   (16, "seq"), (16, "dep")]
    unswept = [c for c in p.columns if c not in ("Aggreg", "Method")]
    assert (p[unswept] == row1[unswept].iloc[0]).all().all()
    assert p["Areal"].dtype == np.int64 and p["Aggreg"].dtype == np.float64 and p["Method"].dtype == object
    # Every template row crossed with the sweep, rows in order.
    both = lv.template([2, 1], Range=[0.0, 5.0])
    assert list(both["Areal"]) == [1000, 1000, 100, 100] and list(both["Range"]) == [0, 5, 0, 5]
    with pytest.raises(ValueError, match="counted from 1 to 5"):
        lv.template(0)
    with pytest.raises(ValueError, match="unknown parameter column"):
        lv.template(1, Aggregation=[1, 2])


def test_reals_reach_the_engine_as_the_single_precision_values_given(tmp_path):
    p = small_rows(("seq", "dep"))
    p["Gradient"] = [2.1, 1 + 2**-23]  # a value with a short text, and one a text of 8 digits would lose
    x = lv.simulate(p, seed=3)
    # runs.csv writes the engine's single-precision value in its shortest text.
    for column in ("Aggreg", "Scale2", "Gradient"):
        assert list(x.runs[column]) == [float(str(np.float32(v))) for v in p[column]], column
    # The batch file written for the command line reads back to the same rows.
    path = tmp_path / "rows.txt"
    lv.write_params(p, path)
    back = lv.read_params(path)
    assert list(back.columns) == list(p.columns)
    for column in p.columns:
        if p[column].dtype == np.float64:
            assert list(back[column].astype(np.float32)) == list(p[column].astype(np.float32)), column
        else:
            assert list(back[column]) == list(p[column]), column


def test_rows_the_engine_refuses_are_named_by_index_label_and_column():
    p = small_rows(("seq", "dep", "oct"))
    p.index = ["a", "b", "c"]
    p.loc["b", "SampA"] = 500
    p.loc["c", "Method"] = "zig"
    p.loc["a", "Permut"] = 40
    with pytest.raises(lv.ParameterError) as raised:
        lv.simulate(p)
    faults = {(f.rows[0], f.column) for f in raised.value.faults}
    assert faults == {("b", "SampA"), ("c", "Method"), ("a", "Permut")}
    message = str(raised.value)
    assert "3 faulty row(s); nothing was run" in message
    assert "row b, SampA (allowed: 1 to the grid side" in message and "Error while reading area: 500" in message
    assert "row c, Method (allowed: seq, ind, oct, dep or lin): Error while reading method of sampling: zig" \
        in message
    # The process goes on and runs what is right.
    assert len(lv.simulate(small_rows(("seq",))).runs) == 1


def test_values_the_batch_format_cannot_carry_are_refused_by_column():
    p = small_rows(("seq", "dep"))
    p["Areal"] = p["Areal"].astype(float)
    p.loc[0, "Areal"] = 40.5
    p.loc[1, "Aggreg"] = math.nan
    p.loc[0, "Method"] = "s q"
    p["maxD"] = 1e39
    p["Dfluc"] = "none"
    with pytest.raises(lv.ParameterError) as raised:
        lv.simulate(p)
    found = {f.column: f.rows for f in raised.value.faults}
    assert found == {"Areal": [0], "Aggreg": [1], "Method": [0], "maxD": [0, 1], "Dfluc": [0, 1]}
    assert "rows 0, 1, maxD: a finite number within single precision" in str(raised.value)
    with pytest.raises(lv.ParameterError, match="lacks the column"):
        lv.simulate(p.drop(columns="Areal"))
    for bad in ({"seed": -1}, {"seed": 2**32}, {"replicates": 0}, {"jobs": 2, "run_seeds": False},
                {"mode": "b"}, {"map": 3}):
        with pytest.raises(ValueError):
            lv.simulate(small_rows(("seq",)), **bad)
