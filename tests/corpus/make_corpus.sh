#!/usr/bin/env bash
# Writes the corpus of valid and malformed data files that corpus_test reads back, one file per case,
# with nothing but printf, head and dd, so every byte is visible here and the files come out the same on
# every run:
#
#   tests/corpus/make_corpus.sh [OUTPUT_DIR]     (default: the folder of this script)
#
# It replaces the folders bmp/, tga/, shader/ and height/ under OUTPUT_DIR. What each file must do when
# read is stated in expected.txt beside this script; a file added here needs its line there.
set -euo pipefail
export LC_ALL=C

out=${1:-$(cd "$(dirname "$0")" && pwd)}

# ------------------------------------------------------------------------------------------ byte helpers

# Little-endian integers as printf escapes; negative values come out in two's complement.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() {
    local v=$(($1 & 0xffffffff))
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255))
}
u8() { printf '\\x%02x' $(($1 & 255)); }

# count bytes whose neighbours differ, so a shifted or reordered copy would show.
pattern() {
    local count=$1 salt=$2 i byte s=''
    for ((i = 0; i < count; i++)); do
        printf -v byte '\\x%02x' $(((i * 37 + salt * 11 + 5) & 255))
        s+=$byte
    done
    printf "$s"
}

zeros() { head -c "$1" /dev/zero; }

# Writes one byte value at a position of an existing file, leaving the rest as it is.
poke() { printf "$(u8 "$3")" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none; }

# Row length of a 24-bit BMP: three bytes a pixel, made up to a multiple of four.
bmp_row() { echo $((($1 * 3 + 3) / 4 * 4)); }

# The 14-byte file header and the 40-byte info header of a BMP (54 bytes):
#   bmp_header SIGNATURE PIXEL_OFFSET WIDTH HEIGHT BITS_PER_PIXEL COMPRESSION IMAGE_SIZE
bmp_header() {
    local h=$1
    h+=$(le32 0)$(le16 0)$(le16 0)$(le32 "$2")                  # file size (unused), reserved, pixel offset
    h+=$(le32 40)$(le32 "$3")$(le32 "$4")$(le16 1)$(le16 "$5")  # info size, width, height, planes, depth
    h+=$(le32 "$6")$(le32 "$7")$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)
    printf "$h"
}

# The 18-byte TGA header:
#   tga_header ID_LENGTH COLOUR_MAP_TYPE IMAGE_TYPE WIDTH HEIGHT DEPTH DESCRIPTOR [MAP_LENGTH MAP_DEPTH]
tga_header() {
    local h
    h=$(u8 "$1")$(u8 "$2")$(u8 "$3")
    h+=$(le16 0)$(le16 "${8:-0}")$(u8 "${9:-0}")              # colour-map fields: first entry, length, depth
    h+=$(le16 0)$(le16 0)$(le16 "$4")$(le16 "$5")$(u8 "$6")$(u8 "$7")
    printf "$h"
}

rm -rf "$out/bmp" "$out/tga" "$out/shader" "$out/height"
mkdir -p "$out/bmp" "$out/tga" "$out/shader" "$out/height"

# ---------------------------------------------------------------------------------------------- BMP
cd "$out/bmp"

# Readable files.
{ bmp_header BM 54 4 4 24 0 48; pattern 48 1; } > valid-4x4.bmp
# Width 5: 15 pixel bytes a row, padded to 16; the image size is left for the reader to work out.
{ bmp_header BM 54 5 2 24 0 0; pattern 32 2; } > valid-5x2-image-size-0.bmp
# Stored top row first.
{ bmp_header BM 54 3 -2 24 0 0; pattern 24 3; } > negative-height.bmp
{ bmp_header BM 54 1 1 24 0 0; pattern 4 4; } > one-pixel.bmp
# 16 bytes between the info header and the pixels (a colour table or a longer header would sit there).
{ bmp_header BM 70 2 2 24 0 0; pattern 16 5; pattern 16 6; } > gap-before-pixels.bmp
{ bmp_header BM 54 2 1 24 0 0; pattern 8 7; printf 'trailing!!'; } > trailing-bytes.bmp
# An image size above the rows' own 16 bytes, all of it present in the file.
{ bmp_header BM 54 2 2 24 0 24; pattern 24 8; } > image-size-with-slack.bmp
# The widest row accepted.
{ bmp_header BM 54 16384 1 24 0 0; zeros 49152; } > max-width-16384.bmp

# Files cut short.
: > empty.bmp
bmp_header BM 54 4 4 24 0 48 | head -c 13 > short-13-bytes.bmp
bmp_header BM 54 4 4 24 0 48 | head -c 30 > truncated-header.bmp
{ bmp_header BM 54 4 4 24 0 0; pattern 47 9; } > truncated-pixels.bmp

# Not a 24-bit uncompressed BMP.
{ bmp_header MB 54 4 4 24 0 48; pattern 48 1; } > wrong-signature.bmp
{ bmp_header BM 54 4 4 8 0 16; pattern 16 10; } > depth-8.bmp
{ bmp_header BM 54 4 4 16 0 32; pattern 32 11; } > depth-16.bmp
{ bmp_header BM 54 2 2 32 0 16; pattern 16 12; } > depth-32.bmp
# 8-bit run-length data: two runs of four, then end of line, end of bitmap.
{ bmp_header BM 54 4 2 8 1 8; printf '\x04\x01\x04\x02\x00\x00\x00\x01'; } > compressed-rle8.bmp
# 24 bits with the compression field set (bit-field masks claimed); the rows are all there.
{ bmp_header BM 54 2 2 24 3 16; pattern 16 13; } > compression-bitfields-24.bmp

# Header fields that contradict the file.
{ bmp_header BM 20 2 2 24 0 0; pattern 16 14; } > offset-below-38.bmp
{ bmp_header BM 4096 2 2 24 0 0; pattern 16 15; } > offset-past-end.bmp
{ bmp_header BM 54 2 2 24 0 1000; pattern 16 16; } > image-size-too-large.bmp
{ bmp_header BM 54 4 4 24 0 8; pattern 48 17; } > image-size-too-small.bmp
{ bmp_header BM 54 0 2 24 0 0; pattern 16 18; } > zero-width.bmp
{ bmp_header BM 54 2 0 24 0 0; pattern 16 19; } > zero-height.bmp
{ bmp_header BM 54 -2 2 24 0 0; pattern 16 20; } > negative-width.bmp
{ bmp_header BM 54 2147483647 1 24 0 0; pattern 16 21; } > huge-width.bmp
{ bmp_header BM 54 1 2147483647 24 0 0; pattern 16 22; } > huge-height.bmp
{ bmp_header BM 54 1 -2147483648 24 0 0; pattern 16 23; } > int-min-height.bmp
# One pixel wider than the widest accepted, with its whole row present.
{ bmp_header BM 54 16385 1 24 0 0; zeros 49156; } > width-16385.bmp

# ---------------------------------------------------------------------------------------------- TGA
cd "$out/tga"

# Readable files: greyscale 8 bits, true colour 24 and 32 bits.
{ tga_header 0 0 3 4 3 8 0; pattern 12 31; } > valid-depth-8.tga
{ tga_header 0 0 2 4 3 24 0; pattern 36 32; } > valid-depth-24.tga
{ tga_header 0 0 2 2 2 32 8; pattern 16 33; } > valid-depth-32.tga
# Five image-ID bytes between the header and the pixels.
{ tga_header 5 0 2 3 2 24 0; printf 'hello'; pattern 18 34; } > id-length-5.tga
# Origin bit set (top row first); the reader keeps the file's row order.
{ tga_header 0 0 2 2 2 24 32; pattern 12 35; } > top-left-origin.tga
# A TGA 2.0 footer after the pixels: extension and developer offsets, signature.
{ tga_header 0 0 2 2 1 24 0; pattern 6 36; printf '\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0'; } > trailing-footer.tga
# The widest picture a TGA header can state.
{ tga_header 0 0 3 65535 1 8 0; zeros 65535; } > max-width-65535.tga

# Files cut short.
: > empty.tga
tga_header 0 0 2 4 3 24 0 | head -c 17 > truncated-header.tga
tga_header 0 0 2 2 2 24 0 > header-only.tga
{ tga_header 0 0 2 4 3 24 0; pattern 35 37; } > truncated-pixels.tga
# The header promises five ID bytes but the file holds only the pixels.
{ tga_header 5 0 2 3 2 24 0; pattern 18 38; } > id-length-5-no-room.tga
{ tga_header 0 0 2 65535 65535 32 0; pattern 16 39; } > huge-dimensions-short-file.tga

# Kinds of TGA the scene has no use for, each with at least as many bytes as a plain file would need.
{ tga_header 0 0 2 2 2 16 0; pattern 8 40; } > depth-16.tga
tga_header 0 0 2 2 2 0 0 > depth-0.tga
# Run-length true colour: one run of four pixels, padded out to the size of the raw rows.
{ tga_header 0 0 10 2 2 24 0; printf '\x83\x10\x20\x30'; pattern 8 41; } > rle.tga
# Colour-mapped: a two-entry 24-bit map, then 8-bit indices.
{ tga_header 0 1 1 2 2 8 0 2 24; pattern 6 42; printf '\x00\x01\x01\x00'; } > colour-mapped.tga
{ tga_header 0 0 2 2 2 8 0; pattern 4 43; } > true-colour-depth-8.tga
{ tga_header 0 0 3 2 2 24 0; pattern 12 44; } > greyscale-depth-24.tga
{ tga_header 0 0 2 0 3 24 0; pattern 12 45; } > zero-width.tga
{ tga_header 0 0 2 3 0 24 0; pattern 12 46; } > zero-height.tga

# ------------------------------------------------------------------------------------- shader sources
cd "$out/shader"

# A source of exactly count characters: a short program, then a comment filled out to the length.
source_of_length() {
    local head='void main() { gl_Position = ftransform(); }'$'\n''// '
    printf '%s' "$head"
    head -c $(($1 - ${#head})) /dev/zero | tr '\0' 'x'
}

: > empty.vp
printf 'uniform vec4 lawlColor;\nvoid main()\n{\n    gl_FragColor = lawlColor;\n}\n' > short.fp
# Line ends of another platform: on Linux the text stream keeps the carriage returns, and they count.
printf 'void main()\r\n{\r\n    gl_Position = ftransform();\r\n}\r\n' > crlf-lines.vp
# A zero byte inside: the whole file is read; the driver would see the text up to the zero.
printf 'void main() { gl_FragColor = vec4(1.0); }\n\0// after the zero\n' > embedded-nul.fp
source_of_length 8192 > exact-8192.vp
source_of_length 8193 > over-8193.vp
source_of_length 20000 > far-over-limit.fp

# ---------------------------------------------------------------------------------------- height maps
cd "$out/height"

: > empty.raw
# Shorter than the map: the first row and part of the second.
pattern 1500 51 > short-1500.raw
# Exactly one map, flat but for marked samples: the first byte, the sample under floor corner (16, 32)
# (byte 32 * 1024 + 16), the last byte of row 511 and the first of row 512, and the last byte.
zeros 1048576 > exact-size.raw
poke exact-size.raw 0 17
poke exact-size.raw 32784 200
poke exact-size.raw 524287 38
poke exact-size.raw 524288 39
poke exact-size.raw 1048575 255
# The same map followed by bytes past its end, which must be ignored.
{ cat exact-size.raw; head -c 100 /dev/zero | tr '\0' '\377'; } > longer-than-map.raw
