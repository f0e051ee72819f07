#!/usr/bin/env bash
# ZIP and TAR side by side: zip32j, unzip32 and tar32 (through the quorvex program, with the
# control's default switches) against Info-ZIP zip/unzip, 7zz, bsdtar and GNU tar (plain, and with pigz -p2
# for .tar.gz) on the three corpora of make_corpus.sh. Runs alternate after a warm-up; the
# table gives medians, the ratio ours/peer of the medians, and the archive sizes. Every
# extraction is checked against the corpus manifest. Extraction goes to /dev/shm.
# Usage: bench/peer/run.sh BUILD [CORPUS] [RUNS] [KINDS] [CORPORA]   (CORPUS is made when missing)
#   KINDS: some of "zip unzip tar untar tgz untgz" (default all); CORPORA: some of "text many binary"
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
corpus=${2:-/dev/shm/qv-corpus}
runs=${3:-5}
kinds=${4:-zip unzip tar untar tgz untgz}
corpora=${5:-text many binary}
[ -f "$corpus/SUMMARY.txt" ] || bash "$here/make_corpus.sh" "$corpus" >/dev/null
corpus=$(cd "$corpus" && pwd)
qv="$build/bin/quorvex"
work=$(mktemp -d /dev/shm/qv-zip-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

. "$here/common.sh"

# Packing (c = corpus)
zip_ours() { rm -f "$work/ours.zip"; "$qv" pack "$work/ours.zip" --base "$corpus/$c" --quiet; }
zip_infozip() { rm -f "$work/infozip.zip"; (cd "$corpus/$c" && zip -r -6 -q -D "$work/infozip.zip" .); }
tar_ours() { rm -f "$work/ours.tar"; "$qv" pack "$work/ours.tar" --base "$corpus/$c" --quiet; }
tar_gnu() { rm -f "$work/gnu.tar"; tar -cf "$work/gnu.tar" -C "$corpus/$c" .; }
tgz_ours() { rm -f "$work/ours.tar.gz"; "$qv" pack "$work/ours.tar.gz" --base "$corpus/$c" --quiet; }
tgz_pigz() { rm -f "$work/pigz.tar.gz"; tar -I 'pigz -p2' -cf "$work/pigz.tar.gz" -C "$corpus/$c" .; }
# Extraction, all from the peer's archive, into the folder `ready` empties
unzip_ours() { "$qv" extract "$work/infozip.zip" --to "$work/x" --quiet; }
unzip_infozip() { unzip -q "$work/infozip.zip" -d "$work/x"; }
unzip_7zz() { 7zz x -y -bso0 "$work/infozip.zip" -o"$work/x"; }
unzip_bsdtar() { bsdtar -xf "$work/infozip.zip" -C "$work/x"; }
untar_ours() { "$qv" extract "$work/gnu.tar" --to "$work/x" --quiet; }
untar_gnu() { tar -xf "$work/gnu.tar" -C "$work/x"; }
untgz_ours() { "$qv" extract "$work/pigz.tar.gz" --to "$work/x" --quiet; }
untgz_gnu() { tar -xzf "$work/pigz.tar.gz" -C "$work/x"; }

# The jobs of each kind; an extraction kind also needs the peer archive it reads.
declare -A kind_jobs=(
    [zip]="zip_ours zip_infozip" [unzip]="unzip_ours unzip_infozip unzip_7zz unzip_bsdtar"
    [tar]="tar_ours tar_gnu" [untar]="untar_ours untar_gnu"
    [tgz]="tgz_ours tgz_pigz" [untgz]="untgz_ours untgz_gnu")
declare -A kind_source=([unzip]=zip_infozip [untar]=tar_gnu [untgz]=tgz_pigz)
jobs=()
for k in $kinds; do
    [ -n "${kind_jobs[$k]:-}" ] || { echo "bench: unknown kind $k" >&2; exit 2; }
    read -ra more <<< "${kind_jobs[$k]}"; jobs+=("${more[@]}")
done
selected() { [[ " $kinds " == *" $1 "* ]]; }
ready() { if [[ $1 == un* ]]; then fresh; fi; }
size() { stat -c %s "$work/$1" | awk '{printf "%.2f MB", $1 / 1e6}'; }
ratio() { echo "scale=3; $(median < "$work/$1.times") / $(median < "$work/$2.times")" | bc; }

printf '%-7s %-26s %8s %8s %7s  %s\n' corpus job ours peer ratio sizes
for c in $corpora; do
    rm -f "$work"/*.times
    for k in $kinds; do [ -z "${kind_source[$k]:-}" ] || "${kind_source[$k]}"; done
    for job in "${jobs[@]}"; do ready "$job"; "$job"; done  # warm-up
    for k in unzip untar untgz; do selected "$k" && { fresh; "${k}_ours" >/dev/null; verify "$c"; }; done
    # Our archives, read back by the peers, hold the corpus too.
    selected zip && { fresh; unzip -q "$work/ours.zip" -d "$work/x"; verify "$c"; }
    selected tgz && { fresh; tar -xzf "$work/ours.tar.gz" -C "$work/x"; verify "$c"; }
    selected tar && { fresh; tar -xf "$work/ours.tar" -C "$work/x"; verify "$c"; }
    for ((r = 0; r < runs; r++)); do
        for job in "${jobs[@]}"; do ready "$job"; time_one "$job" "$job"; done
    done
    row() { printf '%-7s %-26s %8.3f %8.3f %7s  %s\n' "$c" "$1" "$(median < "$work/$2.times")" "$(median < "$work/$3.times")" "$(ratio "$2" "$3")" "${4:-}"; }
    if selected zip; then row "zip pack vs zip -r -6" zip_ours zip_infozip "$(size ours.zip) / $(size infozip.zip)"; fi
    if selected unzip; then
        row "zip extract vs unzip" unzip_ours unzip_infozip
        row "zip extract vs 7zz x" unzip_ours unzip_7zz
        row "zip extract vs bsdtar -x" unzip_ours unzip_bsdtar
    fi
    if selected tar; then row "tar pack vs tar cf" tar_ours tar_gnu "$(size ours.tar) / $(size gnu.tar)"; fi
    if selected untar; then row "tar extract vs tar xf" untar_ours untar_gnu; fi
    if selected tgz; then row "tgz pack vs tar+pigz -p2" tgz_ours tgz_pigz "$(size ours.tar.gz) / $(size pigz.tar.gz)"; fi
    if selected untgz; then row "tgz extract vs tar xzf" untgz_ours untgz_gnu; fi
done
