#!/usr/bin/env bash
# Renders the bundled example to out/sample.pdf, and the top of its first page, where the text
# is, to docs/sample.png for the README. Needs groff and pdftoppm (poppler-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
make build BUILD="$build" >/dev/null
mkdir -p out
"$build/diaset" examples/sample.viqr >out/sample.tr
groff -ms -ww -Tpdf out/sample.tr >out/sample.pdf
pdftoppm -png -r 120 -f 1 -l 1 -singlefile -x 90 -y 110 -W 850 -H 700 out/sample.pdf docs/sample
echo "diaset: wrote out/sample.pdf and docs/sample.png"
