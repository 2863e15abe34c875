#!/usr/bin/env bash
# Pictures of the Windows program for review: the main window, every page of
# both wizards, the log after a run of each, the Options dialog, About and
# Help, as PNG files in build/screenshots/ (or the folder given): at 96 DPI
# (Windows' default) in 96dpi/ and at 144 DPI (150 %) in 144dpi/.
#
#   bash scripts/screenshots.sh [FOLDER]
#
# Builds the windows preset's screenshot tool (tools/screenshots/), starts
# Xvfb and Wine as the tests do (scripts/wine-env.sh), and runs it: it drives
# the real dialogs with the GUI tests' driver and captures each window from
# the screen as a BMP; Python's standard library turns them into PNG files.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
OUT=${1:-$ROOT/build/screenshots}

bash scripts/setup.sh
cmake --preset windows
cmake --build --preset windows -j 2 --target screenshots

# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
quorlix_wine_env "$ROOT/build/windows"
# The prefix is left at 96 DPI, where the tests expect it.
trap 'quorlix_wine_dpi 96; quorlix_wine_stop' EXIT
quorlix_wine_start

rm -rf "$OUT"
mkdir -p "$OUT"
OUT=$(cd "$OUT" && pwd)
for dpi in 96 144; do
  mkdir -p "$OUT/${dpi}dpi"
  quorlix_wine_dpi "$dpi"
  "$QUORLIX_WINE" "$ROOT/build/windows/tests/screenshots.exe" --screenshots "Z:${OUT//\//\\}\\${dpi}dpi"
done

python3 - "$OUT" <<'PY'
import pathlib, struct, sys, zlib

def bmp_to_png(bmp_path, png_path):
    data = bmp_path.read_bytes()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{bmp_path}: {bits}-bit BMP, 24 expected")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = height - 1 - y if height > 0 else y  # BMP rows run bottom-up
        row = data[offset + source * stride: offset + source * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
           + chunk(b"IEND", b""))
    png_path.write_bytes(png)

folder = pathlib.Path(sys.argv[1])
for bmp in sorted(folder.glob("*/*.bmp")):
    bmp_to_png(bmp, bmp.with_suffix(".png"))
    bmp.unlink()
PY

echo "screenshots in $OUT:"
ls -1 "$OUT"/*
