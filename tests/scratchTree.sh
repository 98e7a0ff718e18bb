# Sourced by the shell tests that run townview_x off-screen: a data tree of
# their own in a folder removed at exit (its data linked to TREE's, its
# Korva.INI a copy), entered at its linux/ folder, with no X server in sight.
#   . scratchTree.sh TREE    (sets work, defines fail)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY
mkdir -p "$work/t/linux" "$work/t/data"
cp "$1/linux/Korva.INI" "$work/t/linux/"
for d in smltex bigtex endtex; do ln -s "$1/$d" "$work/t/$d"; done
for f in "$1"/data/*; do ln -s "$f" "$work/t/data/"; done
cd "$work/t/linux" || exit 1
