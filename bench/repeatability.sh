#!/usr/bin/env bash
# How repeatable the benchmark is: N separate runs of townview_x --bench,
# each its own process as a user starts them, and the coefficient of
# variation of their rates.
#   bench/repeatability.sh TOWNVIEW_X [N] [townview_x options...]
# Run it with nothing else running; without a display it starts Xvfb.
set -u
prog=$(realpath "$1")
n=${2:-5}
shift $(($# < 2 ? $# : 2))
if [ -z "${DISPLAY:-}" ]; then
    disp=:$((500 + RANDOM % 400))
    Xvfb "$disp" -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null' EXIT
    export DISPLAY=$disp
    sleep 1
fi
export LIBGL_ALWAYS_SOFTWARE=1
cd "$(dirname "$prog")" || exit 1
rates=()
for i in $(seq "$n"); do
    fps=$("$prog" --bench normal --no-save "$@" 2>&1 | sed -n 's/^[0-9]* x [0-9]* x [0-9]* fps: *\([0-9.]*\)$/\1/p' | tail -1)
    [ -n "$fps" ] || { echo "run $i measured nothing" >&2; exit 1; }
    echo "run $i: $fps fps"
    rates+=("$fps")
done
printf '%s\n' "${rates[@]}" | awk '{ s += $1; q += $1 * $1; v[NR] = $1 }
    END { m = s / NR; sd = sqrt((q - NR * m * m) / (NR - 1)); min = v[1]; max = v[1]
          for (i = 2; i <= NR; i++) { if (v[i] < min) min = v[i]; if (v[i] > max) max = v[i] }
          printf "%d runs: mean %.2f fps, min %.2f, max %.2f, coefficient of variation %.2f %%\n", NR, m, min, max, 100 * sd / m }'
