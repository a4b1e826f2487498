#!/usr/bin/env bash
# Renders the bundled example with glyph names to out/sample.pdf, the top of its first page to
# docs/sample.png, and docs/fallbacks.png: a line of letters in three font families, each as
# the default mode draws it and as groff's fallbacks from -g draw it. Needs groff and pdftoppm
# (poppler-utils).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build}
make build BUILD="$build" >/dev/null
mkdir -p out
"$build/diaset" -g examples/sample.viqr >out/sample.tr
groff -ms -ww -Tpdf out/sample.tr >out/sample.pdf
pdftoppm -png -r 120 -f 1 -l 1 -singlefile -x 90 -y 110 -W 850 -H 700 out/sample.pdf docs/sample

cat >out/letters.viqr <<'LETTERS'
Vie^.t Nam, ddu+o+`ng, nghi? ho.c, A^'U, ky~ thua^.t, Ho^`, DDA(.NG, tuy`
LETTERS
{
  printf '.pl 2.6i\n.po 0.2i\n.ll 6i\n.ps 20\n.vs 26\n.nf\n'
  for font in TR HI PBI; do
    printf '.ft %s\n' "$font"
    printf '\\s[10]\\f[HR]today:\\fP\\s[0]\n.sp -1\n.in 0.9i\n'
    "$build/diaset" out/letters.viqr
    printf '.in 0\n\\s[10]\\f[HR]with -g:\\fP\\s[0]\n.sp -1\n.in 0.9i\n'
    "$build/diaset" -g out/letters.viqr
    printf '.in 0\n.sp 0.3\n'
  done
} >out/fallbacks.tr
groff -ww -Tpdf out/fallbacks.tr >out/fallbacks.pdf
pdftoppm -png -r 110 -singlefile -W 940 -H 280 out/fallbacks.pdf docs/fallbacks
echo "diaset: wrote out/sample.pdf, docs/sample.png and docs/fallbacks.png"
