"""lv.bias() gives the table `lorvenna bias DIR` writes to bias.csv, value for
value: groups, estimators, counts, the parameters that differ and every score."""

import subprocess

import pytest

import lorvenna as lv
from conftest import assert_same_as_csv


@pytest.mark.parametrize("replicates", [3, 1])  # one replicate: every deviation is NA
def test_bias_equals_the_command_line(cli, run_cli, replicates):
    p = lv.template(1, Aggreg=[1.0, 8.5], Method=["seq", "dep", "lin"])
    p["Areal"], p["SampA"], p["maxSa"], p["minSa"], p["StepSa"] = 40, 16, 8, 2, 2
    x = lv.simulate(p, seed=5, replicates=replicates, jobs=2)
    out = run_cli(p, 5, "--run-seeds", "--replicates", str(replicates))
    done = subprocess.run([cli, "bias", str(out), "--quiet"], capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    b = lv.bias(x)
    assert_same_as_csv(b, out / "bias.csv")
    assert list(b["replicates"]) == [replicates] * len(b)
    assert len(b) == len(p) * 27  # 25 estimators of estimates.csv, the SAR extrapolation and slope
    assert "Aggreg" in b.columns and "Areal" not in b.columns  # only what differs between rows
    chao2 = b[(b["basis"] == "incidence") & (b["estimator"] == "chao2")]
    assert len(chao2) == len(p) and chao2["sd_relative_bias"].isna().all() == (replicates == 1)
    # The folder read back gives the same table.
    assert lv.bias(lv.read(out)).equals(b)


def test_a_model_only_run_has_no_bias():
    x = lv.simulate(lv.template(1), mode="m")
    with pytest.raises(ValueError, match="no sample"):
        lv.bias(x)
