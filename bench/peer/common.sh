# Shared by the peer benchmarks: our side runs through the quorvex program, as a user would;
# timings append wall seconds to $work/NAME.times and a failed run stops the benchmark.
now() { date +%s.%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
time_one() {
    local name=$1; shift
    local t0 t1
    t0=$(now); "$@" >/dev/null 2>&1 || { echo "bench: $name failed" >&2; exit 1; }; t1=$(now)
    echo "$t1 - $t0" | bc >> "$work/$name.times"
}
# An extraction starts from an empty folder, made before its clock starts: removing the last
# run's thousands of files takes as long as a small extraction, and timing it on both sides
# would pull every ratio towards 1.
fresh() { rm -rf "$work/x"; mkdir "$work/x"; }
# verify CORPUS [FOLDER]: the extracted tree against the corpus manifest
verify() {
    (cd "${2:-$work/x}" && awk '{print $2 "  " $1}' "$corpus/MANIFEST-$1.txt" | sha256sum -c --quiet) ||
        { echo "bench: extraction of $1 differs from the manifest" >&2; exit 1; }
}
# peak_mib COMMAND...: the command's maximum resident size
peak_mib() { /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f", $1 / 1024}'; }
