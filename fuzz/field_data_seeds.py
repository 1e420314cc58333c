#!/usr/bin/python3
"""Writes the seed corpus of the field_data fuzz target into fuzz/corpus/field_data.

The reference data sets (tests/data/reference/datasets.csv, the values of
iNEXT and SpadeR's examples and of random lognormal communities) as files in
every format and layout the reader takes, and bad files of every kind it
refuses.  Each input is the format letter ('a' abundance, 'i' incidence
frequencies, 'r' raw incidence) followed by the file's bytes, named by the
SHA-1 of its bytes as libFuzzer names the inputs it adds.

    /usr/bin/python3 fuzz/field_data_seeds.py
"""
import csv
import hashlib
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "fuzz", "corpus", "field_data")


def data_sets():
    with open(os.path.join(ROOT, "tests", "data", "reference", "datasets.csv")) as f:
        return [(r["data"], r["type"], [int(v) for v in r["values"].split()]) for r in csv.DictReader(f)]


def table(names, columns, sep=",", fill="0", labels=None, line_end="\n"):
    """Columns side by side under a header, shorter ones filled up."""
    rows = max(len(c) for c in columns)
    head = ([""] if labels else []) + names
    out = [sep.join(head)]
    for i in range(rows):
        cells = [str(c[i]) if i < len(c) else fill for c in columns]
        out.append(sep.join(([labels[i]] if labels else []) + cells))
    return line_end.join(out) + line_end


def raw_matrix(units, incidences):
    """A species x units 0/1 table with the given incidences, spread over the units."""
    rows = []
    for i, y in enumerate(incidences):
        row = [0] * units
        for j in range(y):
            row[(i * 7 + j * 3) % units if units > 1 else 0] = 1
        # collisions of the spread: fill the first free units
        missing = y - sum(row)
        for k in range(units):
            if missing == 0:
                break
            if row[k] == 0:
                row[k], missing = 1, missing - 1
        rows.append(row)
    return rows


def seeds():
    sets = data_sets()
    abundance = [(n, v) for n, t, v in sets if t == "abundance"]
    incidence = [(n, v) for n, t, v in sets if t == "incidence_freq"]
    out = []
    # Every data set of a type side by side, as the shared acceptance writes them.
    out.append(("a", table([n for n, _ in abundance], [v for _, v in abundance])))
    out.append(("i", table([n for n, _ in incidence], [v for _, v in incidence])))
    # Each data set alone, in the other layouts.
    for k, (name, values) in enumerate(abundance):
        layout = k % 5
        if layout == 0:
            out.append(("a", table([name], [values], sep=" ", line_end="\r\n")))
        elif layout == 1:
            out.append(("a", table([name, "other"], [values, values[::-1]], sep="\t", fill="")))
        elif layout == 2:
            labels = ['"sp%d"' % (i + 1) for i in range(len(values))]
            out.append(("a", table(['"%s"' % name], [values], labels=labels)))
        elif layout == 3:
            out.append(("a", table([name, "b"], [values, [v * 1000 for v in values]], sep=";", fill="NA")))
        else:
            out.append(("a", "\ufeff".encode("utf-8").decode("latin-1") + table([name], [values], line_end="\r")))
    for k, (name, values) in enumerate(incidence):
        if k % 2 == 0:
            out.append(("i", table([name], [values], sep=" ")))
        else:
            labels = ["T"] + ["sp%d" % i for i in range(1, len(values))]
            out.append(("i", table([name], [values], labels=labels)))
        units, counts = values[0], values[1:]
        if units <= 40:
            rows = raw_matrix(units, counts)
            names = [name] * units
            labels = ["sp%d" % (i + 1) for i in range(len(rows))]
            columns = [[r[u] for r in rows] for u in range(units)]
            out.append(("r", table(names, columns, labels=labels if k % 3 == 0 else None)))
    out.append(("r", "ants,ants,ants,bees,bees\n1,0,1,0,0\n0,0,0,1,1\n1,1,1,1,0\n"))
    # Bad files: every fault the reader names, but an overlong line and too many
    # columns (100 kB and 60 kB: a seed that long would raise the fuzzer's
    # input length for every input; the unit tests hold those two).
    for kind, text in [
        ("a", ""), ("a", "site\n"), ("a", "site\n5\n2.5\n"), ("a", "site\n5\n-1\n"), ("a", "a,site\n1,0\n2,NA\n"),
        ("a", "a\nfive\n"), ("a", "a b\n1,000 2\n"), ("a", "a\n100000001\n"), ("a", "a\n1e999999999999\n"),
        ("a", "a\n60000000\n60000000\n"), ("a", "a,b\n1,2\n3\n"), ("a", "a,b\n1,2,3\n"), ("a", "3,4\n1,2\n"),
        ("a", "a,b,a\n1,2,3\n"), ("a", "a,,b\n1,2,3\n"), ("a", "a,b\n\"1,2\n"), ("a", "\"a\"x,b\n1,2\n"),
        ("a", "a,b\n1,\0\n"), ("a", "PK\x03\x04zip"),
        ("i", "site\n3\n2\n5\n"), ("i", "site\n0\n1\n"), ("i", "a,b\n4,NA\n1,1\n"), ("i", "site\n5\n"),
        ("r", "u,u\n1,2\n"), ("r", "u,u\n1,NA\n"), ("r", "u,u,v\n1,0,0\n0,1,0\n"),
    ]:
        out.append((kind, text))
    return out


def main():
    os.makedirs(OUT, exist_ok=True)
    written = 0
    for kind, text in seeds():
        data = kind.encode() + text.encode("latin-1")
        name = hashlib.sha1(data).hexdigest()
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        written += 1
    print("%d seeds in %s" % (written, OUT))


if __name__ == "__main__":
    main()
