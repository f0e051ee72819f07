#!/usr/bin/env bash
# The main job on a sample folder, for every kind: pack it with the quorvex program, list it,
# extract it into a fresh folder and compare the result with the original. One line per kind
# says what was checked and what came of it; nothing is claimed that was not checked.
# Argument: the build folder (default: build).
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
quorvex=$build/bin/quorvex
[ -x "$quorvex" ] || { echo "demo: $quorvex is missing; run make build first" >&2; exit 1; }
export LC_ALL=C.UTF-8
unset LD_LIBRARY_PATH  # the program finds the control and the libraries beside it

work=$build/demo
rm -rf "$work"
mkdir -p "$work/sample/nested/deeper"
sample=$work/sample
printf 'Quorvex6 demo\nline two\n' > "$sample/readme.txt"
seq 1 5000 > "$sample/nested/numbers.txt"
# Binary content that compresses a little, the same on every run.
for i in $(seq 0 255); do printf "\\$(printf %03o $(( (i * 37 + 11) % 256 )))"; done > "$sample/nested/deeper/bytes.bin"
printf 'こんにちは\n' > "$sample/日本語のファイル.txt"
: > "$sample/empty.txt"
wanted=$(cd "$sample" && find . -type f | sed 's|^\./||' | sort)
files=$(printf '%s\n' "$wanted" | wc -l)

# The error the program printed, with the control's message about its cause when there is one.
error_of() {
  local line cause
  line=$(grep -m1 '^quorvex: error' "$1") || { head -n1 "$1"; return; }
  cause=$(grep -v '^quorvex: error' "$1" | grep -m1 '^quorvex: ' | sed 's/^quorvex: //')
  echo "${line#quorvex: }${cause:+ (${cause})}"
}

# Waits until a file has kept its size for a second (a packing program runs on its own).
settle() {
  local last=-1 size
  for _ in $(seq 1 20); do
    size=$(stat -c %s "$1" 2>/dev/null || echo -1)
    [ "$size" -ge 0 ] && [ "$size" = "$last" ] && return 0
    last=$size
    sleep 0.5
  done
  return 1
}

# Lists the archive in all three formats; prints "N entries, F of M files" where F counts the
# files of the original (given by their paths, one a line) that the listing names.
listed() {
  local archive=$1 kind=$2 log=$3 wanted=$4 csv names found total
  csv=$("$quorvex" list "$archive" --kind "$kind" --format csv 2>"$log") || return 1
  "$quorvex" list "$archive" --kind "$kind" --format json >/dev/null 2>>"$log" || return 1
  "$quorvex" list "$archive" --kind "$kind" >/dev/null 2>>"$log" || return 1
  # FileName and Path are the first two columns; the sample's names hold no commas or quotes.
  names=$(printf '%s\n' "$csv" | tail -n +2 | awk -F, '{ p = $2; gsub(/\\/, "/", p); print p $1 }')
  found=$(printf '%s\n' "$wanted" | grep -cxF -f <(printf '%s\n' "$names"))
  total=$(printf '%s\n' "$wanted" | wc -l)
  echo "$(( $(printf '%s\n' "$csv" | wc -l) - 1 )) entries listed, $found of $total files among them"
}

compare() {
  if diff -r "$1" "$2" >/dev/null 2>&1; then echo "identical"; else echo "DIFFERENT from the original"; fi
}

report() { printf '%-4s %s\n' "$1" "$2"; }

echo "Sample: $files files in $sample (text, binary, a nested folder, a Japanese name, an empty file)"
for kind in lha zip cab arj tar rar; do
  case $kind in lha) ext=lzh;; tar) ext=tar.gz;; *) ext=$kind;; esac
  archive=$work/sample.$ext log=$work/$kind.log out=$work/$kind-out
  if ! "$quorvex" pack "$archive" --base "$sample" --quiet >"$log" 2>&1; then
    report "$kind" "pack failed: $(error_of "$log")"; continue
  fi
  if [ "$kind" = arj ] || [ "$kind" = rar ]; then
    settle "$archive" || { report "$kind" "pack started, but the $kind program wrote no archive"; continue; }
  fi
  [ -f "$archive" ] || { report "$kind" "pack reported success but wrote no archive"; continue; }
  size=$(stat -c %s "$archive")
  if ! entries=$(listed "$archive" "$kind" "$log" "$wanted"); then
    report "$kind" "packed $size bytes; list failed: $(error_of "$log")"; continue
  fi
  mkdir -p "$out"
  if ! "$quorvex" extract "$archive" --to "$out" --quiet >"$log" 2>&1; then
    report "$kind" "packed $size bytes, $entries; extract failed: $(error_of "$log")"
    continue
  fi
  report "$kind" "packed $size bytes, $entries, extracted: $(compare "$sample" "$out")"
done

# ISH encodes one file into a folder; the encoded file is named by the library.
mkdir -p "$work/ish" "$work/ish-out"
log=$work/ish.log
if ! "$quorvex" pack "$work/ish" "nested/numbers.txt" --kind ish --base "$sample" >"$log" 2>&1; then
  report ish "pack failed: $(error_of "$log")"
else
  encoded=$(find "$work/ish" -type f | head -n1)
  if [ -z "$encoded" ]; then
    report ish "pack reported success but wrote no file"
  elif ! entries=$(listed "$encoded" ish "$log" numbers.txt); then
    report ish "encoded $(stat -c %s "$encoded") bytes; list failed: $(error_of "$log")"
  elif ! "$quorvex" extract "$encoded" --kind ish --to "$work/ish-out" >"$log" 2>&1; then
    report ish "encoded $(stat -c %s "$encoded") bytes, $entries; decode failed: $(error_of "$log")"
  else
    decoded=$(find "$work/ish-out" -type f | head -n1)
    if [ -n "$decoded" ] && cmp -s "$decoded" "$sample/nested/numbers.txt"; then verdict=identical
    else verdict="DIFFERENT from the original"; fi
    report ish "encoded $(stat -c %s "$encoded") bytes, $entries, decoded: $verdict"
  fi
fi
echo "Logs and results: $work"
