"""Column types: the package's declared kinds agree with the data dictionary
and cover every column the engine writes; the CSV reader keeps quoted texts,
NA and line ends as pandas reads them."""

import os
import re

import numpy as np
import pandas as pd
import pytest

import lorvenna as lv
from lorvenna import _engine
from lorvenna._tables import column_kinds, read_table
from conftest import SOURCE, TABLES, small_rows

# The dictionary's word for each declared kind (a keyword is a text there).
DICTIONARY_KIND = {"integer": "integer", "real": "real", "logical": "logical", "keyword": "text", "text": "text"}


def dictionary_kinds(header):
    """The type of every column of each table in docs/data-dictionary.md;
    a range "`a` … `b`" takes the columns of `header` between a and b."""
    text = open(os.path.join(SOURCE, "docs", "data-dictionary.md"), encoding="utf-8").read()
    kinds = {}
    for table, section in re.findall(r"^## (\w+)\.csv\n(.*?)(?=^## )", text, re.S | re.M):
        kinds[table] = {}
        for cells, kind in re.findall(r"^\| (`[^|]*`) \| (\w*) \|", section, re.M):
            names = re.findall(r"`([^`]+)`", cells)
            if "…" in cells and table in header:
                columns = header[table]
                names = columns[columns.index(names[0]):columns.index(names[-1]) + 1]
            for name in names:
                kinds[table][name] = kind
    return kinds


def test_declared_kinds_are_those_of_the_data_dictionary():
    x = lv.simulate(small_rows(("seq",)), seed=3)
    header = {name: list(getattr(x, name).columns) for name in TABLES + ("timings",)}
    documented = dictionary_kinds(header)
    for name in TABLES + ("timings",):
        declared = column_kinds(name)
        # Every column the engine writes is declared: a new column needs its kind.
        assert set(header[name]) <= set(declared), name
        for column, kind in documented[name].items():
            if kind:  # the parameters of runs.csv are typed by the template, not the dictionary
                assert DICTIONARY_KIND[declared[column]] == kind, f"{name}.{column}"


def test_missing_values_keep_the_column_type():
    # Row 5 of the demo builds a superposition grid: only it has a number of terms.
    p = lv.read_params(os.path.join(SOURCE, "demo", "designs.txt"))
    x = lv.simulate(p, seed=7, run_seeds=False)
    terms = x.runs["terms"]
    assert str(terms.dtype) == "Int64"
    assert list(terms.isna()) == [True, True, True, True, False] and terms[4] > 0
    assert x.runs["row"].dtype == np.int64 and x.runs["version"].dtype == object
    assert x.species["true_density_below_boundary"].dtype == bool
    assert x.runs["Method"].dtype == "category" and x.runs["Areal"].dtype == np.int64


def test_the_reader_takes_quotes_line_ends_and_na():
    text = ('a,b,flag,word,real,big\r\n'
            '1,"x, ""quoted""",TRUE,NA,1e-310,9007199254740993\r\n'
            '\r\n'
            'NA,"two\nlines",NA,,-0.0,-2\r\n'
            '3,plain,FALSE,w,0.1,+5\r\n')
    t = read_table("other", text)  # a table the package does not know: kinds read from the text
    assert list(t["a"].astype(object)) == [1, pd.NA, 3] and str(t["a"].dtype) == "Int64"
    assert list(t["b"]) == ['x, "quoted"', "two\nlines", "plain"]
    assert str(t["flag"].dtype) == "boolean" and list(t["flag"].isna()) == [False, True, False]
    assert list(t["word"]) == [None, "", "w"]  # NA is missing, an empty text a text
    assert t["real"][0] == 1e-310 and np.signbit(t["real"][1]) and t["real"][2] == 0.1
    assert list(t["big"]) == [9007199254740993, -2, 5]  # beyond 2^53: read as a whole number, not a double
    with pytest.raises(RuntimeError, match="CSV line 3 has 1 fields where the header names 2"):
        _engine.parse_csv("a,b\n1,2\n3\n")
    with pytest.raises(RuntimeError, match="not closed"):
        _engine.parse_csv('a\n"open\n')


def test_a_declared_integer_column_refuses_a_fraction():
    with pytest.raises(ValueError, match="integer column n_units holds a fraction"):
        read_table("samples", "run,n_units\n1,2.5\n")
