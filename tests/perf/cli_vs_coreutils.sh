#!/usr/bin/env bash
# Whole-process cost of expscale beside coreutils, on a 256 MiB data file holding a 100,000-record
# table between filler bytes. Not a test: it measures and prints, and never fails on a figure.
#
#   tests/perf/cli_vs_coreutils.sh [EXPSCALE]     (default: build/native/cli/expscale)
#
# Goals: scale within 1.3x of cp, list within 1.5x of cat, peak memory of scale below 1.2x the file.
# Needs hyperfine, GNU time (/usr/bin/time) and python3. Set KEEP=1 to keep the temporary folder.
set -euo pipefail

cd "$(dirname "$0")/../.."
program=$(realpath "${1:-build/native/cli/expscale}")
[ -x "$program" ] || { echo "no expscale program at $program; build the native preset first" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "hyperfine is missing (apt-get install hyperfine)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time is missing (apt-get install time)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/expscale-perf.XXXXXX")
[ "${KEEP:-0}" = 1 ] || trap 'rm -rf "$work"' EXIT
data="$work/elements.data"

# 64 MiB of filler, the count and 100,000 records, then filler up to 256 MiB. The filler is
# pseudo-random, so the marker search meets the stray 04 bytes that real data holds.
python3 - "$data" <<'EOF'
import random, struct, sys
SIZE, RECORDS, STRIDE, BEFORE = 256 << 20, 100_000, 692, 64 << 20
rng = random.Random(936)
marker = bytearray(124)
marker[0], marker[4] = 4, 3
for at in (8, 72, 104):
    marker[at:at + 6] = "透明怪".encode("utf-16-le")
with open(sys.argv[1], "wb") as out:
    out.write(rng.randbytes(BEFORE))
    out.write(struct.pack("<i", RECORDS))
    table = bytearray(rng.randbytes(RECORDS * STRIDE))
    for i in range(RECORDS):
        r = i * STRIDE
        if i == 0:
            table[r:r + 124] = marker
        else:
            name = ("狼" * (i % 7 + 1) + str(i)).encode("utf-16-le")
            table[r + 8:r + 72] = name.ljust(64, b"\0")[:64]
        table[r + 248:r + 252] = struct.pack("<i", rng.randrange(0, 300_000_000))
    out.write(table)
    out.write(rng.randbytes(SIZE - out.tell()))
EOF
size=$(stat -c %s "$data")
echo "data file: $size bytes, 100000 records; program: $program"
"$program" info "$data"

runs=(--warmup 2 --runs "${RUNS:-10}" --style basic)
hyperfine "${runs[@]}" --export-json "$work/scale.json" \
  -n "expscale scale" "'$program' scale -o '$work/scaled.data' '$data' 1.5" \
  -n "cp" "cp '$data' '$work/copy.data'" \
  -n "cp, then sync the copy" "cp '$data' '$work/copy.data' && sync '$work/copy.data'"
hyperfine "${runs[@]}" --export-json "$work/list.json" \
  -n "expscale list" "'$program' list '$data' > /dev/null" \
  -n "cat" "cat '$data' > /dev/null"

peak_kib=$( { /usr/bin/time -f %M "$program" scale -o "$work/scaled.data" "$data" 1.5 2>&1 >/dev/null; } | tail -n 1)

python3 - "$work" "$size" "$peak_kib" <<'EOF'
import json, sys
work, size, peak_kib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
def means(name):
    return {r["command"]: r["mean"] for r in json.load(open(f"{work}/{name}.json"))["results"]}
scale, listing = means("scale"), means("list")
print()
print(f"scale / cp:                 {scale['expscale scale'] / scale['cp']:.2f}x  (goal <= 1.3)")
print(f"scale / (cp + sync):        {scale['expscale scale'] / scale['cp, then sync the copy']:.2f}x")
print(f"list / cat:                 {listing['expscale list'] / listing['cat']:.2f}x  (goal <= 1.5)")
print(f"scale peak RSS / file size: {peak_kib * 1024 / size:.2f}x  ({peak_kib} KiB; goal < 1.2)")
EOF
