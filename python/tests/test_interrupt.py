"""Ctrl-C during a run stops it in order within moments: the passes finished
before it are whole and equal those of a run that was not interrupted, and
the process goes on."""

import os
import signal
import threading
import time

import pandas as pd
import pytest

import lorvenna as lv
from conftest import TABLES

# Some passes of this community give up a saturated species; the warning says so.
pytestmark = pytest.mark.filterwarnings("ignore::lorvenna.EngineWarning")


def long_sweep():
    # Hundreds of quick passes: an uninterrupted run would take far longer than the test waits.
    p = lv.template(1, Method=["dep"])
    p["Areal"], p["SampA"], p["maxSa"], p["minSa"], p["StepSa"] = 60, 24, 12, 4, 4
    return p


def send_later(signum, seconds):
    sent = []
    timer = threading.Timer(seconds, lambda: (sent.append(time.monotonic()), os.kill(os.getpid(), signum)))
    timer.start()
    return timer, sent


@pytest.mark.parametrize("jobs", [1, 2])
def test_ctrl_c_stops_the_run_in_order(jobs):
    p = long_sweep()
    timer, sent = send_later(signal.SIGINT, 1.0)
    with pytest.raises(lv.Interrupted) as raised:
        lv.simulate(p, seed=9, replicates=2000, jobs=jobs)
    stopped = time.monotonic()
    timer.join()
    assert isinstance(raised.value, KeyboardInterrupt)
    assert stopped - sent[0] < 5.0
    partial = raised.value.partial
    finished = list(partial.runs["run"])
    assert 0 < len(finished) < 2000 and partial.status == 130
    if jobs == 1:
        assert finished == list(range(1, len(finished) + 1))
    else:
        # Passes run ahead on the other core: one that finished after the
        # interrupted pass began is written too, so a pass may be missing.
        assert finished == sorted(finished) and finished[0] == 1
    # The finished passes are whole: those of the same passes run alone.
    whole = lv.simulate(p, seed=9, replicates=finished[-1], jobs=jobs)
    for name in TABLES:
        expected = getattr(whole, name)
        expected = expected[expected["run"].isin(finished)].reset_index(drop=True)
        pd.testing.assert_frame_equal(getattr(partial, name), expected, check_exact=True)


def test_an_error_of_another_signal_handler_ends_the_run_and_is_raised():
    def alarm(signum, frame):
        raise TimeoutError("took too long")
    previous = signal.signal(signal.SIGALRM, alarm)
    try:
        signal.setitimer(signal.ITIMER_REAL, 1.0)
        start = time.monotonic()
        with pytest.raises(TimeoutError, match="took too long"):
            lv.simulate(long_sweep(), seed=9, replicates=2000)
        assert time.monotonic() - start < 6.0
    finally:
        signal.setitimer(signal.ITIMER_REAL, 0)
        signal.signal(signal.SIGALRM, previous)
    assert len(lv.simulate(long_sweep(), seed=9).runs) == 1


def test_other_python_threads_run_while_the_engine_does():
    counts, done = [0], threading.Event()

    def count():
        while not done.is_set():
            counts[0] += 1
    counter = threading.Thread(target=count)
    counter.start()
    try:
        before = counts[0]
        x = lv.simulate(long_sweep(), seed=9, replicates=20)
        during = counts[0] - before
    finally:
        done.set()
        counter.join()
    # The GIL is released for the passes: the counter went on all along.
    assert len(x.runs) == 20 and during > 100_000
