#!/usr/bin/env bash
# Applies a fixed list of small mutations (flipped comparisons, off-by-one
# bounds, swapped arguments, removed guards) to engine/, one at a time, and
# runs the fast suites against each: a mutant the suites fail on is killed.
# Prints each mutant's fate and the share killed, folder by folder.
#   scripts/mutants.sh [BUILD]      (a configured Linux build; default build)
#   scripts/mutants.sh --random N --seed S [BUILD]
#       draws N sites at random from engine/, driver/ and viewer/ instead
#       (scripts/mutantSites.py names the operators); each mutant runs the
#       test programs that link its file. The same seed draws the same sites.
# The sources are put back after every mutant, and at any exit.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = --random ]; then
    exec "$root/scripts/mutantsRandom.sh" "${@:2}"
fi
build=$(realpath "${1:-$root/build}")
cd "$root" || exit 1
suites=(test_matrix test_console test_loader test_images test_pac test_effects)
glSuites=(test_gl test_effects_gl)

# folder @ file @ from @ to: from must occur exactly once in the file
mutants=$(cat <<'LIST'
math @ engine/math/matrix_4.cpp @ (i % 5 == 0) ? 1.0f : 0.0f @ (i % 4 == 0) ? 1.0f : 0.0f
math @ engine/math/matrix_4.cpp @ s += double(a.m[r * 4 + k]) * double(b.m[k * 4 + col]); @ s += double(a.m[k * 4 + r]) * double(b.m[k * 4 + col]);
math @ engine/math/matrix_4.cpp @ row[3] += row[0] * tx + row[1] * ty + row[2] * tz; @ row[3] += row[0] * tx + row[1] * tz + row[2] * ty;
math @ engine/math/matrix_4.cpp @ row[ca] = a * aa + b * ab; @ row[ca] = a * aa - b * ab;
math @ engine/math/matrix_4.cpp @ mixColumns(m, 1, 2, c, s, -s, c); @ mixColumns(m, 1, 2, c, s, s, c);
math @ engine/math/matrix_4.cpp @ mixColumns(m, 0, 2, c, -s, s, c); @ mixColumns(m, 0, 2, c, s, -s, c);
math @ engine/math/matrix_4.cpp @ mixColumns(m, 0, 1, c, s, -s, c); @ mixColumns(m, 0, 1, c, -s, s, c);
math @ engine/math/matrix_4.cpp @ row[2] *= sz; @ row[2] *= sy;
math @ engine/math/matrix_4.cpp @ e[12] * p.x + e[13] * p.y + e[14] * p.z + e[15] * p.w}; @ p.w};
math @ engine/math/matrix_4.cpp @ out[c * 4 + r] = m.m[r * 4 + c]; @ out[r * 4 + c] = m.m[r * 4 + c];
effects @ engine/effects/recmat3D.cpp @ if (*index >= count - 1) @ if (*index >= count)
effects @ engine/effects/recmat3D.cpp @ if (i > 0 && !end && steps[i - 1] != 0.0f) { @ if (i > 0 && steps[i - 1] != 0.0f) {
effects @ engine/effects/recmat3D.cpp @ o->m[k] = f * poses[i - 1].m[k] + (1.0f - f) * poses[i].m[k]; @ o->m[k] = (1.0f - f) * poses[i - 1].m[k] + f * poses[i].m[k];
effects @ engine/effects/recmat3D.cpp @ if (!std::isfinite(steps[r]) || steps[r] < 0.0f) { @ if (!std::isfinite(steps[r])) {
effects @ engine/effects/recmat3D.cpp @ if (total > double(maxSeconds)) { @ if (total > 2.0 * double(maxSeconds)) {
effects @ engine/effects/fog3D.cpp @ if (d > 2.0f * influence) @ if (d > influence)
effects @ engine/effects/fog3D.cpp @ if (d < influence) { @ if (d <= 0.0f) {
effects @ engine/effects/dr3DTail.cpp @ if (n > maxCopies) @ if (n > maxCopies + 1)
effects @ engine/effects/dr3DTail.cpp @ if (t - lastTime < step) { @ if (t - lastTime <= step) {
scene @ engine/scene/imageSGI.cpp @ width <= maxPixels / height; @ width <= maxPixels / height + 1;
scene @ engine/scene/imageSGI.cpp @ if (size < 512 || be16(data) != 474) @ if (size < 511 || be16(data) != 474)
scene @ engine/scene/data3D_image.cpp @ const unsigned a = alpha > 256 ? 256 : alpha; @ const unsigned a = alpha > 255 ? 255 : alpha;
scene @ engine/scene/data3D_image.cpp @ d[3] = static_cast<unsigned char>((s[3] * a) >> 8); @ d[3] = s[3];
scene @ engine/scene/data3D_image.cpp @ if (src.components != 4 || pixels > 256L * 256L @ if (pixels > 256L * 256L
scene @ engine/scene/data3D.cpp @ if (m.type != 3 && m.type != 4) @ if (m.type != 3)
scene @ engine/scene/data3D.cpp @             m.type = 2; @             m.type = 0;
scene @ engine/scene/data3D.cpp @ return fl.points >= 3 && fl.points <= data3D::maxFacePoints; @ return fl.points >= 3 && fl.points <= data3D::maxFacePoints + 1;
scene @ engine/scene/data3D.cpp @ if (numVN + 1 > maxEntries) { @ if (numVN > maxEntries) {
scene @ engine/scene/data3D.cpp @ if (numFacePts + pts > maxEntries) { @ if (numFacePts + pts > maxEntries + 3) {
scene @ engine/scene/data3D_pac.cpp @ if (rd->left == 0 && groups > 0) { @ if (rd->left == 0) {
scene @ engine/scene/data3D_pac.cpp @ if (tex[0].components != 4 || tex[0].width * tex[0].height != 256 * 256) @ if (tex[0].components != 4)
gl @ engine/gl/gl3D_draw.cpp @ constexpr float reflectLift = 0.002f; @ constexpr float reflectLift = 0.0f;
gl @ engine/gl/gl3D_draw.cpp @ gl->TexCoord2f(g.texCoord2[size_t(p) * 2], g.texCoord2[size_t(p) * 2 + 1]); @ gl->TexCoord2f(g.texCoord2[size_t(p) * 2], 1.0f - g.texCoord2[size_t(p) * 2 + 1]);
gl @ engine/gl/gl3D_draw.cpp @ if (index < 0 || index >= maxTexFlags || texCounted[index]) @ if (index < 0 || index >= maxTexFlags)
gl @ engine/gl/gl3D_draw.cpp @ texBytes += t->width * t->height * t->components; @ texBytes += t->width * t->height;
gl @ engine/gl/gl3D_draw.cpp @ if (altTriangle == 0) { @ if (altTriangle != 0) {
gl @ engine/gl/gl3D.cpp @ if (rate < 150.0f) { @ if (rate > 150.0f) {
gl @ engine/gl/gl3D.cpp @ p.m[0] = 2.0f * nearZ / (right - left); @ p.m[0] = nearZ / (right - left);
gl @ engine/gl/gl3D_tex.cpp @ const GLint filter = texLinear == 1 ? GL_LINEAR : GL_NEAREST; @ const GLint filter = texLinear == 1 ? GL_NEAREST : GL_LINEAR;
gl @ engine/gl/gl3D_draw.cpp @ emit(gl, g, first + 3, true); @ emit(gl, g, first + 1, true);
gl @ engine/gl/gl3D_draw.cpp @     turn.m[3] = turn.m[7] = turn.m[11] = 0.0f; @     turn.m[15] = 1.0f;
gl @ engine/gl/gl3D_draw.cpp @     if (r->listValid == 1 && enterListState(*r)) { @     if (r->listValid == 1) {
gl @ engine/gl/gl3D_draw.cpp @     match(texEnabled, r.startTexEnabled, &gl3D::texOn, &gl3D::texOff); @     (void)match;
gl @ engine/gl/gl3D_draw.cpp @     match(twoSideLight, r.startTwoSideLight, &gl3D::twoSideLightOn, &gl3D::twoSideLightOff); @     (void)match;
gl @ engine/gl/gl3D_draw.cpp @     match(cullFace, r.startCullFace, &gl3D::cullFaceOn, &gl3D::cullFaceOff); @     (void)match;
gl @ engine/gl/gl3D.cpp @         text[std::strcspn(text, "\n")] = '\0'; @         text[std::strcspn(text + 1, "\n") + 1] = '\0';
LIST
)

backup=$(mktemp -d)
restore() { [ -n "${current:-}" ] && cp "$backup/file" "$root/$current"; current=; }
trap 'restore; rm -rf "$backup"; exit 130' INT TERM

run_suites() {
    local t
    for t in "${suites[@]}"; do
        timeout 300 "$build/tests/$t" --gtest_brief=1 >/dev/null 2>&1 || return 1
    done
    for t in "${glSuites[@]}"; do
        LIBGL_ALWAYS_SOFTWARE=1 timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/$t" --gtest_brief=1 \
            >/dev/null 2>&1 || return 1
    done
    return 0
}

cmake --build "$build" -j "$(nproc)" --target "${suites[@]}" "${glSuites[@]}" >/dev/null || exit 1
run_suites || { echo "the suites fail without a mutant: nothing to measure" >&2; exit 1; }

declare -A total killed
n=0
while IFS= read -r line; do
    [ -z "$line" ] && continue
    folder=${line%% @ *}
    rest=${line#* @ }
    file=${rest%% @ *}
    rest=${rest#* @ }
    from=${rest%% @ *}
    to=${rest#* @ }
    n=$((n + 1))
    cp "$root/$file" "$backup/file"
    current=$file
    if ! python3 - "$root/$file" "$from" "$to" <<'PY'
import sys
path, a, b = sys.argv[1:4]
s = open(path).read()
if s.count(a) != 1:
    sys.exit(1)
open(path, "w").write(s.replace(a, b))
PY
    then
        echo "mutant $n ($file): its text is not found once; left out"
        restore
        continue
    fi
    total[$folder]=$(( ${total[$folder]:-0} + 1 ))
    if ! cmake --build "$build" -j "$(nproc)" --target "${suites[@]}" "${glSuites[@]}" >/dev/null 2>&1; then
        fate="killed (does not build)"
        killed[$folder]=$(( ${killed[$folder]:-0} + 1 ))
    elif run_suites; then
        fate="SURVIVED"
    else
        fate=killed
        killed[$folder]=$(( ${killed[$folder]:-0} + 1 ))
    fi
    echo "mutant $n $folder $file: $fate: $from -> $to"
    restore
done <<< "$mutants"
cmake --build "$build" -j "$(nproc)" --target "${suites[@]}" "${glSuites[@]}" >/dev/null 2>&1
rm -rf "$backup"

all=0
dead=0
for folder in math scene effects gl; do
    t=${total[$folder]:-0}
    k=${killed[$folder]:-0}
    all=$((all + t))
    dead=$((dead + k))
    [ "$t" -gt 0 ] && printf 'engine/%-8s %2d of %2d mutants killed (%d %%)\n' "$folder" "$k" "$t" $((100 * k / t))
done
printf 'engine/         %2d of %2d mutants killed (%d %%)\n' "$dead" "$all" $((all > 0 ? 100 * dead / all : 0))
