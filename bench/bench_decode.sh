#!/usr/bin/env bash
# Whole-process figures of bitvane-compile against its floors and a peer,
# side by side in one run.
#
#     bench/bench_decode.sh BUILD_DIR [CORPUS_SCRIPT]
#
# Builds nothing: BUILD_DIR must hold src/cli/bitvane-compile and
# bench/plain_compile, bench/floor_bmp. Writes its pictures into a temporary
# folder and measures with hyperfine (wall medians) and GNU time (CPU, peak
# RSS):
#   start       an empty project, against plain_compile       target <= 2 x
#   progressive an 8000 x 6000 photo, progressive JPEG        < 0.5 s, < 200 MB
#   baseline    the same photo, baseline JPEG                 < 50 ms
#   png bomb    a 1 MB PNG declaring 11585 x 11585 RGBA16     < 150 ms, < 32 MB
#   gif bomb    a 35-byte GIF declaring a 16000 x 8000 screen < 20 ms, < 32 MB
#   corpus      the standard corpus (seed 1, 1000 pictures): the BMP part's
#               CPU against floor_bmp on the same files (target <= 1.1 x),
#               and the whole corpus against ImageMagick's convert turning
#               the same files to four greys (target >= 25 x less CPU;
#               skipped when convert is not installed)
# Needs hyperfine, GNU time and /usr/bin/python3 with PIL (Debian: hyperfine,
# time, python3-pil). The machine should be otherwise idle.
set -euo pipefail

build=$(cd "${1:?usage: bench_decode.sh BUILD_DIR [CORPUS_SCRIPT]}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
corpus_script=${2:-$top/../shared/bench/make_corpus.py}
exe=$build/src/cli/bitvane-compile
plain=$build/bench/plain_compile
floor=$build/bench/floor_bmp
for f in "$exe" "$plain" "$floor"; do
    [ -x "$f" ] || { echo "no $f: build it first" >&2; exit 1; }
done
for tool in hyperfine /usr/bin/time /usr/bin/python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$work" <<'PY'
import struct, sys, zlib
from PIL import Image, ImageFile
ImageFile.MAXBLOCK = 1 << 26
work = sys.argv[1]
# A photo-like picture: noise over gradients, so every block holds detail.
size = (8000, 6000)
noise = [Image.effect_noise(size, 40 + 10 * i) for i in range(3)]
photo = Image.merge("RGB", [Image.blend(n, Image.linear_gradient("L").resize(size), 0.5) for n in noise])
photo.save(work + "/progressive.jpg", quality=90, progressive=True)
photo.save(work + "/baseline.jpg", quality=90)
# 11585 x 11585 RGBA16 whose rows are all zero: about 1 MB.
w = h = 11585
deflate = zlib.compressobj(9)
row = bytes(1 + w * 8)
idat = b"".join(deflate.compress(row) for _ in range(h)) + deflate.flush()
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
open(work + "/bomb.png", "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 16, 6, 0, 0, 0))
                                     + chunk(b"IDAT", idat) + chunk(b"IEND", b""))
# 35 bytes: a 16000 x 8000 screen, two colours, one 1 x 1 image.
gif = (b"GIF89a" + struct.pack("<HHBBB", 16000, 8000, 0x80, 0, 0) + b"\0\0\0\xff\xff\xff"
       + b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02\x02\x04\x05\x00\x3b")
assert len(gif) == 35
open(work + "/bomb.gif", "wb").write(gif)
for name in ("progressive.jpg", "baseline.jpg", "bomb.png", "bomb.gif"):
    open(work + "/" + name + ".bvp", "w").write('"%s/%s",0,0\r\n' % (work, name))
open(work + "/empty.bvp", "w").write("")
PY
/usr/bin/python3 "$corpus_script" "$work/corpus" -n 1000 --seed 1 >/dev/null
sync

peak() { # "peak RSS MB" of one run
    /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >/dev/null 2>&1
    awk '{ printf "%.1f MB peak RSS", $1 / 1024 }' "$work/time.txt"
}
figure() { # median wall and mean CPU (user + sys) of command N in hyperfine's JSON
    /usr/bin/python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]; print("%.4f %.4f" % (r["median"], r["user"] + r["system"]))' "$1" "$2"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf("%.2f", (b > 0 ? a / b : 0)) }'; }

# Headers go to standard output: a file's save ends with a sync to disk,
# which would measure the disk, not the program.
echo "bitvane-compile: $exe"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "wall: median of the runs; CPU: mean user + system"

hyperfine -N -w 5 -r 30 --export-json "$work/start.json" \
    "$exe -o - $work/empty.bvp" "$plain - $work/empty.bvp" >/dev/null
read -r ours ours_cpu < <(figure "$work/start.json" 0)
read -r floor_start floor_cpu < <(figure "$work/start.json" 1)
echo "start, empty project:  $ours s wall ($ours_cpu s CPU) against $floor_start s ($floor_cpu s CPU)" \
    "for plain C++: $(ratio "$ours" "$floor_start") x wall   [target <= 2 x]"

for case in "progressive.jpg 0.5 200" "baseline.jpg 0.05 -" "bomb.png 0.15 32" "bomb.gif 0.02 32"; do
    set -- $case
    hyperfine -N -w 1 -r 5 --export-json "$work/one.json" "$exe -o - $work/$1.bvp" >/dev/null
    read -r wall busy < <(figure "$work/one.json" 0)
    printf '%-16s %s s wall, %s s CPU, %s   [target < %s s%s]\n' "$1:" "$wall" "$busy" \
        "$(peak "$exe" -o - "$work/$1.bvp")" "$2" "$([ "$3" = - ] || echo ", < $3 MB")"
done

hyperfine -N -w 1 -r 5 --export-json "$work/bmp.json" \
    "$exe -o - $work/corpus/project_bmp.bvp" "$floor - $work/corpus/files_bmp.txt" >/dev/null
read -r _ ours_bmp < <(figure "$work/bmp.json" 0)
read -r _ floor_bmp < <(figure "$work/bmp.json" 1)
echo "corpus, BMP part:      $ours_bmp s CPU against $floor_bmp s for the minimal converter:" \
    "$(ratio "$ours_bmp" "$floor_bmp") x   [target <= 1.1 x]"
if command -v convert >/dev/null; then
    # The files as arguments: ImageMagick's policy refuses a list file.
    hyperfine -N -w 0 -r 3 --export-json "$work/all.json" "$exe -o - $work/corpus/project.bvp" \
        "convert $(tr '\n' ' ' <"$work/corpus/files.txt") -gravity NorthWest -crop 32x240+0+0 +repage -colorspace Gray -posterize 4 $work/magick-%d.pgm" >/dev/null
    read -r _ ours_all < <(figure "$work/all.json" 0)
    read -r _ magick < <(figure "$work/all.json" 1)
    echo "corpus, 1000 pictures: $ours_all s CPU against $magick s for ImageMagick:" \
        "$(ratio "$magick" "$ours_all") x less   [target >= 25 x]"
else
    hyperfine -N -w 1 -r 5 --export-json "$work/all.json" "$exe -o - $work/corpus/project.bvp" >/dev/null
    read -r _ ours_all < <(figure "$work/all.json" 0)
    echo "corpus, 1000 pictures: $ours_all s CPU (ImageMagick's convert is not installed: skipped)"
fi
