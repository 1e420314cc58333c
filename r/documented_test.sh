#!/usr/bin/env bash
# The committed help pages and NAMESPACE are those roxygen2 writes from the
# comments beside the code: a comment changed without scripts/r_document.sh
# fails here.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/lorvenna"
cp -R "$here/lorvenna/DESCRIPTION" "$here/lorvenna/R" "$here/lorvenna/man" "$here/lorvenna/NAMESPACE" "$work/lorvenna/"
Rscript -e 'suppressMessages(roxygen2::roxygenise(commandArgs(TRUE)[1], roclets = c("rd", "namespace")))' \
  "$work/lorvenna" >/dev/null
if ! diff -r "$here/lorvenna/man" "$work/lorvenna/man" || ! diff "$here/lorvenna/NAMESPACE" "$work/lorvenna/NAMESPACE"; then
  echo "FAIL: the help pages or NAMESPACE differ from what roxygen2 writes: run scripts/r_document.sh" >&2
  exit 1
fi
echo "ok: help pages and NAMESPACE are roxygen2's"
