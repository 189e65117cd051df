#!/usr/bin/env bash
# The way back on the standard corpus: compile, --extract, compile again.
#
#     bench/bench_extract.sh BUILD_DIR [CORPUS_SCRIPT]
#
# Builds nothing: BUILD_DIR must hold src/cli/bitvane-compile. Writes the
# corpus (seed 1, 1000 pictures) with CORPUS_SCRIPT (default
# ../shared/bench/make_corpus.py beside the repository), then for each style,
# notation and mask setting compiles it, extracts the header into a fresh
# folder, compiles the extracted project with the same flags and checks that
# the two headers are the same byte for byte. The header is named after the
# corpus' project.bvp, so that the extracted project.bvp has the same name
# and even the modern frame, which names both, comes back. Prints the time
# of the extraction (hyperfine median) and of the whole round trip. Exits 1
# when a header does not come back. Needs hyperfine and /usr/bin/python3 with
# PIL (Debian: hyperfine, python3-pil).
set -euo pipefail

build=${1:?usage: bench_extract.sh BUILD_DIR [CORPUS_SCRIPT]}
top=$(cd "$(dirname "$0")/.." && pwd)
corpus_script=${2:-$top/../shared/bench/make_corpus.py}
exe=$(cd "$build" && pwd)/src/cli/bitvane-compile
[ -x "$exe" ] || { echo "no $exe: build the bitvane-compile target first" >&2; exit 1; }
for tool in hyperfine /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$corpus_script" "$work/corpus" -n 1000 --seed 1 >/dev/null
sync

echo "bitvane-compile: $exe"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"

failed=0
round=0
for flags in "" "--binary" "--style modern" "--style modern --binary" "--mask" \
    "--style modern --mask"; do
    round=$((round + 1))
    dir=$work/r$round
    mkdir -p "$dir"
    # shellcheck disable=SC2086 # the flags are words
    "$exe" $flags -o "$dir/project.h" "$work/corpus/project.bvp" 2>/dev/null
    start=$(date +%s.%N)
    "$exe" --extract "$dir/project.h" -o "$dir/back"
    # shellcheck disable=SC2086
    "$exe" $flags -o "$dir/back/project.h" "$dir/back/project.bvp" 2>/dev/null
    end=$(date +%s.%N)
    if cmp -s "$dir/project.h" "$dir/back/project.h"; then
        verdict="identical"
    else
        verdict="DIFFERENT"
        failed=1
    fi
    # Extraction alone, into a new folder each run.
    hyperfine -N -w 1 -r 10 --export-json "$dir/extract.json" \
        --prepare "rm -rf $dir/again" \
        "$exe --extract $dir/project.h -o $dir/again" >/dev/null
    extract=$(/usr/bin/python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][0]; print("%.3f s" % r["median"])' "$dir/extract.json")
    printf '%-26s %s, %d pictures; extract %s median, extract + compile %.3f s\n' \
        "${flags:-classic hex}:" "$verdict" "$(ls "$dir/back" | grep -c '\.png$')" \
        "$extract" "$(awk -v a="$start" -v b="$end" 'BEGIN { print b - a }')"
done
exit $failed
