#!/usr/bin/env python3
"""Reads the tidy tables of an output folder with Python's csv module, as a
user's script would, and checks that they join and hold together:

- every table parses with the header's number of fields on every row;
- the run of every row of every table is in runs.csv, once;
- a sample holds no more species than the assemblage and the sampled square,
  and no more individuals than were placed;
- the individuals of a species in the square and in the sample are at most
  those placed, and so are those of a unit (of disjoint units together).

    python3 scripts/check_tidy.py FOLDER

Prints one line per problem and exits 1 when there is any, else 0.
"""
import csv
import math
import sys
from collections import defaultdict


def read(folder, name):
    with open(f"{folder}/{name}", newline="", encoding="utf-8") as fh:
        reader = csv.reader(fh)
        header = next(reader)
        rows = []
        for number, fields in enumerate(reader, start=2):
            if len(fields) != len(header):
                raise SystemExit(f"{name}:{number}: {len(fields)} fields, the header has {len(header)}")
            rows.append(dict(zip(header, fields)))
        return rows


def value(text):
    return math.nan if text == "NA" else float(text)


def main(folder):
    problems = []
    runs = read(folder, "runs.csv")
    ids = [r["run"] for r in runs]
    if len(set(ids)) != len(ids):
        problems.append("runs.csv: a run appears twice")
    run = {r["run"]: r for r in runs}
    tables = {name: read(folder, name) for name in ("species.csv", "samples.csv", "curve.csv", "units.csv", "timings.csv")}
    for name, rows in tables.items():
        for r in rows:
            if r["run"] not in run:
                problems.append(f"{name}: run {r['run']} is not in runs.csv")
    placed_by_run = defaultdict(float)
    for s in tables["species.csv"]:
        placed = value(s["placed"])
        if math.isnan(placed):
            continue
        placed_by_run[s["run"]] += placed
        for column in ("in_square", "in_sample"):
            if value(s[column]) > placed:
                problems.append(f"species.csv: run {s['run']} species {s['species']}: {column} above the individuals placed")
    for s in tables["samples.csv"]:
        r = run[s["run"]]
        if int(s["species"]) > int(r["Species"]):
            problems.append(f"samples.csv: run {s['run']} n {s['n_units']}: more species than the assemblage")
        if int(s["species"]) > int(s["true_species_square"]):
            problems.append(f"samples.csv: run {s['run']} n {s['n_units']}: more species than the sampled square holds")
        if value(s["individuals"]) > value(r["individuals_placed"]):
            problems.append(f"samples.csv: run {s['run']} n {s['n_units']}: more individuals than were placed")
        if int(s["cells_inspected"]) > int(s["area"]):
            problems.append(f"samples.csv: run {s['run']} n {s['n_units']}: more distinct cells than cells")
    # Every unit holds at most the individuals placed; disjoint units ("ind") together too.
    disjoint = defaultdict(int)
    for u in tables["units.csv"]:
        if int(u["individuals"]) > placed_by_run[u["run"]]:
            problems.append(f"units.csv: run {u['run']} unit {u['unit']}: more individuals than were placed")
        if run[u["run"]]["Method"] == "ind":
            disjoint[u["run"]] += int(u["individuals"])
    for run_id, total in disjoint.items():
        if total > placed_by_run[run_id]:
            problems.append(f"units.csv: run {run_id}: the disjoint units hold more individuals than were placed")
    for p in problems:
        print(p)
    counts = ", ".join(f"{len(rows)} {name}" for name, rows in tables.items())
    print(f"{folder}: {len(runs)} runs, {counts}; {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv[1]))
