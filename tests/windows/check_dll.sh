#!/usr/bin/env bash
# Checks the built Windows module file:
#  - a PE32 DLL whose export directory names "QR417_Instr.gau" and exports
#    exactly ImportTable and Linkage, undecorated;
#  - imports from Windows system libraries only (the C++ runtime is linked in),
#    and no threading library linked in;
#  - every WAVE resource under its id (and the one name), byte for byte the
#    committed recording, and the version resource's numbers and strings;
#  - every bitmap of resources/bitmaps.tsv as a BITMAP resource under its id:
#    the committed .bmp less its 14-byte file header, 8 bits per pixel, of the
#    width and height listed;
#  - every spoken callout, taken out of the DLL and measured with sox, lasts
#    its stated length and holds audible speech over most of it.
# Usage: check_dll.sh QR417_Instr.gau SOURCE_DIR
set -uo pipefail
dll=$1
src=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checks=0

check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@"; then
    echo "  ok   $what"
  else
    echo "  FAIL $what"
    failures=$((failures + 1))
  fi
}

"$objdump" -p "$dll" > "$work/headers" || { echo "cannot read $dll"; exit 1; }

echo "== exports and imports of $(basename "$dll")"
check "PE32 image for i386" grep -Eq "file format pei-i386|^Magic.*\(PE32\)" "$work/headers"
check "DLL characteristic set" \
  bash -c "sed -n '/^Characteristics/,/^\$/p' '$work/headers' | grep -qx '[[:space:]]*DLL'"
check "export directory names QR417_Instr.gau" \
  grep -Eq "^Name[[:space:]]+[0-9a-f]+ QR417_Instr\.gau$" "$work/headers"
sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' "$work/headers" \
  | grep -E '^[[:space:]]+\[' | grep -Eo '\] [^ ]+$' | cut -c3- | sort > "$work/exports"
printf 'ImportTable\nLinkage\n' > "$work/expected_exports"
check "exactly ImportTable and Linkage exported" cmp -s "$work/exports" "$work/expected_exports"
grep "DLL Name:" "$work/headers" | awk '{print tolower($3)}' | sort > "$work/imports"
system_dlls='^(kernel32|user32|gdi32|advapi32|msvcrt|dsound|winmm|ole32)\.dll$'
check "imports only system libraries ($(tr '\n' ' ' < "$work/imports"))" \
  bash -c "! grep -Evq '$system_dlls' '$work/imports'"
check "no C++ runtime or thread library DLL" \
  bash -c "! grep -Eiq 'libstdc|libgcc|winpthread' '$work/imports'"
# Linked in, the threading library takes a thread-local slot at every load
# and never gives it back.
check "no threading library linked in" \
  bash -c "! '${NM:-i686-w64-mingw32-nm}' '$dll' 2>/dev/null | grep -q pthread"

echo "== wave resources"
# id file data-bytes spoken
waves="10 click_switch 3828 no
20 ratchet_brake 10304 no
30 click_knob 6014 no
2100 radalt_1000 9950 yes
2110 radalt_500 10226 yes
2120 radalt_400 10020 yes
2130 radalt_300 9570 yes
2140 radalt_200 9586 yes
2150 radalt_100 9893 yes
2160 radalt_50 5442 yes
2170 radalt_40 4468 yes
2180 radalt_30 4531 yes
2190 radalt_20 3273 yes
2200 radalt_10 5099 yes
2210 radalt_minimums 6095 yes
WAV_RADALT_2500 radalt_2500 11322 yes"
while read -r id file bytes spoken; do
  out="$work/$id.wav"
  wrestool -x -R --type=WAVE --name="$id" "$dll" > "$out" 2>/dev/null
  check "WAVE $id is $file.wav" cmp -s "$out" "$src/resources/waves/$file.wav"
  [ "$spoken" = yes ] || continue
  samples=$(soxi -s "$out" 2>/dev/null || echo 0)
  check "callout $id lasts $bytes samples at 11025 Hz 8-bit" \
    test "$samples" = "$bytes" -a "$(soxi -r "$out")" = 11025 -a "$(soxi -b "$out")" = 8
  rms=$(sox "$out" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}')
  speech=$(sox "$out" -n silence 1 0.02 2% reverse silence 1 0.02 2% reverse stat 2>&1 \
    | awk '/Length \(seconds\)/ {print $3}')
  check "callout $id is audible (rms $rms) with speech over ${speech}s of $(soxi -D "$out")s" \
    awk -v rms="$rms" -v speech="$speech" -v total="$(soxi -D "$out")" \
      'BEGIN { exit !(rms > 0.05 && speech >= 0.5 * total && speech <= total) }'
done <<< "$waves"
count=$(wrestool -l --type=WAVE "$dll" | grep -c .)
check "16 WAVE resources, no more ($count)" test "$count" = 16

echo "== bitmap resources"
# id width height: the DIB's info header holds width and height at bytes 4-11
# and planes and bits per pixel at 12-15.
bad_bitmaps=""
listed=0
while IFS=$'\t' read -r id width height _; do
  [[ $id =~ ^[0-9]+$ ]] || continue
  listed=$((listed + 1))
  out="$work/bitmap_$id"
  wrestool -x -R --type=2 --name="$id" "$dll" > "$out" 2>/dev/null
  found=$(od -An -td4 -j4 -N8 -v "$out" 2>/dev/null | xargs)
  bits=$(od -An -tu2 -j12 -N4 -v "$out" 2>/dev/null | xargs)
  if [ "$found" != "$width $height" ] || [ "$bits" != "1 8" ] \
      || ! tail -c +15 "$src/resources/bitmaps/$id.bmp" | cmp -s - "$out"; then
    bad_bitmaps="$bad_bitmaps $id(${found:-missing})"
  fi
done < "$src/resources/bitmaps.tsv"
check "$listed BITMAP resources of bitmaps.tsv at their sizes, as committed${bad_bitmaps:+; wrong:$bad_bitmaps}" \
  test -z "$bad_bitmaps" -a "$listed" -gt 0
count=$(wrestool -l --type=2 "$dll" | grep -c .)
check "$listed BITMAP resources, no more ($count)" test "$count" = "$listed"

echo "== version resource"
wrestool -x -R --type=16 "$dll" > "$work/version" 2>/dev/null
# VS_FIXEDFILEINFO follows its signature 0xFEEF04BD: file version MS, LS,
# then product version MS, LS.
fixed=$(od -An -tx4 -v -w4 "$work/version" | tr -d ' ' | grep -A5 -x feef04bd | tail -n +3 | head -4 | tr '\n' ' ')
check "file and product version 1.0.0.0 ($fixed)" test "$fixed" = "00010000 00000000 00010000 00000000 "
strings -el "$work/version" > "$work/strings"
check "FileDescription Flight Simulator 2004 Gauge" \
  grep -A1 -x FileDescription "$work/strings" | grep -qx "Flight Simulator 2004 Gauge"
check "ProductName Belmarre Corvane Instruments" \
  grep -A1 -x ProductName "$work/strings" | grep -qx "Belmarre Corvane Instruments"

echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
