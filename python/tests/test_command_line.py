"""A run in Python gives the command line's tables for the same rows and seed
word, column for column and to the last bit, and a command-line folder read
back is the object built in memory."""

import os

import numpy as np
import pandas as pd
import pytest

import lorvenna as lv
from conftest import SOURCE, TABLES, assert_same_as_csv, small_rows


def assert_same_result(a, b):
    for name in TABLES:
        pd.testing.assert_frame_equal(getattr(a, name), getattr(b, name), check_exact=True)


def test_demo_rows_continue_one_stream_as_the_command_line_does(run_cli):
    demo = os.path.join(SOURCE, "demo", "designs.txt")
    p = lv.read_params(demo)
    x = lv.simulate(p, seed=7, run_seeds=False)
    out = run_cli(None, 7, batch=demo)
    for name in TABLES:
        assert_same_as_csv(getattr(x, name), out / f"{name}.csv")
    assert list(x.samples["design"].cat.categories[:5]) == ["seq", "ind", "oct", "dep", "lin"]
    assert set(x.samples["design"]) == set(p["Method"])
    assert_same_result(lv.read(out), x)


def test_a_replicated_sweep_with_run_seeds_on_two_cores(run_cli):
    p = small_rows()
    seed = 4000000001  # above 2^31: the seed word is unsigned
    x = lv.simulate(p, seed=seed, replicates=2, jobs=2)
    out = run_cli(p, seed, "--run-seeds", "--replicates", "2")
    for name in TABLES:
        assert_same_as_csv(getattr(x, name), out / f"{name}.csv")
    assert list(x.runs["replicate"]) == [1, 2] * len(p)
    assert list(x.runs["row"]) == [r for r in range(2, len(p) + 2) for _ in (1, 2)]
    assert_same_result(lv.read(out), x)
    # One core gives the same passes.
    assert_same_result(lv.simulate(p, seed=seed, replicates=2, jobs=1), x)


def test_the_model_community_alone(run_cli):
    p = small_rows(("seq", "dep"))
    x = lv.simulate(p, seed=7, mode="m")
    out = run_cli(p, 7, "--run-seeds", mode="m")
    for name in ("runs", "species"):
        assert_same_as_csv(getattr(x, name), out / f"{name}.csv")
    # No sample was taken: the table is empty but keeps its columns and types.
    assert len(x.samples) == 0
    assert x.samples["n_units"].dtype == np.int64 and x.samples["bias_chao2"].dtype == np.float64


def test_habitat_grids_and_the_species_map(run_cli):
    p = small_rows(("dep", "oct"))
    x = lv.simulate(p, seed=11, habitat=True, map=2)
    out = run_cli(p, 11, "--run-seeds", "--habitat", "--map", "2")

    def grid_file(name):
        # The file lists the top row first; the arrays hold [y - 1, x - 1], the bottom row first.
        return np.flipud(np.loadtxt(out / name, skiprows=6))

    assert sorted(x.habitat) == sorted(x.maps) == [1, 2]
    for run in (1, 2):
        assert np.array_equal(x.habitat[run], grid_file(f"habitat-{run}.asc"))
        assert np.array_equal(x.maps[run], grid_file(f"map-{run}.asc"))
        assert x.habitat[run].shape == (65, 65)
    # Species 2 is placed whole: its map counts what species.csv says was placed.
    placed = x.species.query("run == 1 and species == 2")["placed"].item()
    assert x.maps[1].sum() == placed
    y = lv.read(out)
    assert all(np.array_equal(y.habitat[r], x.habitat[r]) for r in (1, 2))


def test_a_folder_without_tables_is_refused(tmp_path):
    with pytest.raises(FileNotFoundError, match="no runs.csv"):
        lv.read(tmp_path)
    with pytest.raises(FileNotFoundError, match="no folder"):
        lv.read(tmp_path / "missing")


def test_abundance_vectors_take_the_rank_order_path(run_cli, tmp_path):
    p = small_rows(("seq", "lin"))
    p["maxD"] = 20.0  # whole individuals: every abundance rounded, those below one individual left out
    lognormal = np.exp(2 + 1.5 * np.linspace(-2.3, 2.3, 30))
    a = [lognormal / lognormal.sum() * 3000, [250.5, 80.25, 12, 3.5, 0.4, 0.2]]
    w = [np.linspace(1, 300, 30), [2.5, 7, 30, 0, 1000, 9]]
    ranks = tmp_path / "ranks.txt"
    for weights in (None, w):
        # The command line reads the same numbers written in full.
        with open(ranks, "w") as f:
            for i, block in enumerate(a):
                f.write("*\n")
                for k, value in enumerate(block):
                    f.write(repr(float(value)) + ("" if weights is None else " " + repr(float(weights[i][k])))
                            + "\n")
        x = lv.simulate(p, seed=5, abundances=a, weights=weights)
        out = run_cli(p, 5, "--run-seeds", "--rank-order", str(ranks), *([] if weights is None else ["--weights"]))
        for name in TABLES:
            assert_same_as_csv(getattr(x, name), out / f"{name}.csv")
        assert list(x.runs["Species"]) == [30, 6]
        assert (x.species.query("run == 2")["expected"] > 0).sum() == 4
    second = x.species.query("run == 2").set_index("species")
    assert list(second.loc[[1, 2, 3], "weight"]) == [2.5, 7, 30]  # a weight of 0 takes Damuth's rule
    # One vector serves every row; a block without a species the run can count is refused by row.
    assert list(lv.simulate(p, seed=5, abundances=a[1]).runs["Species"]) == [6, 6]
    with pytest.raises(lv.ParameterError, match="row 0: Error while building the community"):
        lv.simulate(p.iloc[:1], abundances=[0.0, 0.0, 0.0])
    with pytest.raises(ValueError, match="one weight per abundance"):
        lv.simulate(p, abundances=a, weights=[w[0], w[1][:3]])
