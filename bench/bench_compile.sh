#!/usr/bin/env bash
# Whole-process figures of bitvane-compile on the standard corpus.
#
#     bench/bench_compile.sh BUILD_DIR [CORPUS_SCRIPT]
#
# Builds nothing: BUILD_DIR must hold src/cli/bitvane-compile. Writes the
# corpus (seed 1, 1000 pictures) into a temporary folder with
# CORPUS_SCRIPT (default ../shared/bench/make_corpus.py beside the
# repository), then measures with hyperfine and /usr/bin/time -v:
#   corpus  the corpus' project.bvp           target < 0.15 s, < 60 MB
#   styles  the corpus in the modern style, with and without masks, and
#           scaled with error diffusion (--fit scale --shade diffuse),
#           against the classic one, round by round      target <= 1.3 x
#   max     32767 records, the corpus repeated target < 5 s,    < 300 MB
#   start   --version and a one-picture project (start-up cost)
# Needs hyperfine, GNU time and /usr/bin/python3 with PIL (Debian: hyperfine,
# time, python3-pil). The machine should be otherwise idle: compare figures
# from one run only.
set -euo pipefail

build=${1:?usage: bench_compile.sh BUILD_DIR [CORPUS_SCRIPT]}
top=$(cd "$(dirname "$0")/.." && pwd)
corpus_script=${2:-$top/../shared/bench/make_corpus.py}
exe=$(cd "$build" && pwd)/src/cli/bitvane-compile
[ -x "$exe" ] || { echo "no $exe: build the bitvane-compile target first" >&2; exit 1; }
for tool in hyperfine /usr/bin/time /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$corpus_script" "$work/corpus" -n 1000 --seed 1 >/dev/null
/usr/bin/python3 - "$work" <<'EOF'
import sys
work = sys.argv[1]
lines = open(work + "/corpus/project.bvp", "rb").read().splitlines(keepends=True)
open(work + "/max.bvp", "wb").write(b"".join(lines[i % len(lines)] for i in range(32767)))
open(work + "/one.bvp", "wb").write(lines[0])
EOF
# The header's save ends with a sync to disk, which would otherwise also wait
# for the freshly written corpus.
sync

peak() { # prints "wall seconds, peak RSS MB" of one run (its warnings are not shown)
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>&1
    awk '{ printf "%.2f s wall, %.1f MB peak RSS", $1, $2 / 1024 }' "$work/time.txt"
}

median() { # hyperfine median in seconds from its JSON export
    /usr/bin/python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.3f s median (min %.3f, max %.3f, user %.3f, sys %.3f)" % (r["median"], r["min"], r["max"], r["user"], r["system"]))' "$1"
}

echo "bitvane-compile: $exe"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

hyperfine -N -w 5 -r 30 --export-json "$work/start.json" "$exe --version" >/dev/null
echo "start-up (--version):     $(median "$work/start.json")"
hyperfine -N -w 5 -r 30 --export-json "$work/one.json" "$exe -o $work/one.h $work/one.bvp" >/dev/null
echo "one picture:              $(median "$work/one.json")"

hyperfine -N -w 3 -r 20 --export-json "$work/corpus.json" \
    "$exe -o $work/corpus.h $work/corpus/project.bvp" >/dev/null
echo "corpus, 1000 pictures:    $(median "$work/corpus.json")   [target < 0.15 s]"
echo "                          $(peak "$exe" -o "$work/corpus.h" "$work/corpus/project.bvp")   [target < 60 MB]"
# The floor the corpus' figures are read against: decoding alone, with PIL.
hyperfine -N -w 2 -r 10 --export-json "$work/pil.json" \
    "/usr/bin/python3 -c \"from PIL import Image; [Image.open(p.strip()).load() for p in open('$work/corpus/files.txt')]\"" >/dev/null
echo "for scale, PIL decoding:  $(median "$work/pil.json")"

# The styles side by side in short rounds, each round's ratios taken
# against its own classic run, so that a change in the machine's load
# between rounds does not count as a difference of the styles.
for round in 1 2 3 4 5; do
    hyperfine -N -w 2 -r 10 --export-json "$work/styles$round.json" \
        "$exe -o $work/classic.h $work/corpus/project.bvp" \
        "$exe --style modern -o $work/modern.h $work/corpus/project.bvp" \
        "$exe --style modern --mask -o $work/masks.h $work/corpus/project.bvp" \
        "$exe --fit scale --shade diffuse -o $work/diffuse.h $work/corpus/project.bvp" >/dev/null
done
/usr/bin/python3 - "$work"/styles?.json <<'PY'
import json, statistics, sys
rounds = [[r["median"] for r in json.load(open(f))["results"]] for f in sys.argv[1:]]
for i, name in enumerate(["classic", "modern", "modern --mask", "scale diffuse"]):
    ratio = statistics.median(r[i] / r[0] for r in rounds)
    print("corpus, %-14s %.3f s median of rounds, %.2f x classic (median of %d rounds)%s" % (
        name + ":", statistics.median(r[i] for r in rounds), ratio, len(rounds),
        "   [target <= 1.3 x]" if i else ""))
PY

hyperfine -N -w 1 -r 3 --export-json "$work/max.json" "$exe -o $work/max.h $work/max.bvp" >/dev/null
echo "32767 records:            $(median "$work/max.json")   [target < 5 s]"
echo "                          $(peak "$exe" -o "$work/max.h" "$work/max.bvp")   [target < 300 MB]"
echo "header sizes: $(stat -c %s "$work/corpus.h") and $(stat -c %s "$work/max.h") bytes;" \
    "corpus modern $(stat -c %s "$work/modern.h"), with masks $(stat -c %s "$work/masks.h")"
