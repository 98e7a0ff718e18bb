#!/usr/bin/env bash
# Plots a frame log of townview_x --frame-log: the time of every frame over
# the flight, and the path's second, as a small PNG (gnuplot, Debian's
# gnuplot-nox).
#   scripts/plotFrames.sh FRAMES.csv OUT.png [TITLE]
set -euo pipefail
csv=$1
png=$2
title=${3:-"frame times of a TOWNVIEW benchmark"}
command -v gnuplot >/dev/null || { echo "plotFrames.sh needs gnuplot: apt-get install gnuplot-nox" >&2; exit 1; }
gnuplot <<PLOT
set terminal pngcairo size 800,300 font "sans,9"
set output "$png"
set datafile separator ","
set key top left
set title "$title"
set xlabel "time since the first city frame (s)"
set ylabel "frame time (ms)"
set y2label "path time (s)"
set ytics nomirror
set y2tics
set grid ytics
plot "$csv" every ::1 using (\$2/1000):3 with points pt 7 ps 0.15 lc rgb "#1f5fa8" title "frame time", \
     "" every ::1 using (\$2/1000):4 axes x1y2 with lines lc rgb "#c04020" lw 1.5 title "path time"
PLOT
