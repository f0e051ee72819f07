#!/usr/bin/env bash
# Installs the build into a fresh prefix and builds the small host against it twice, with
# pkg-config and with find_package(Quorvex6), then runs the host and the installed program.
# Arguments: the build folder, this test's source folder, and the compiler flags the build was
# made with that a host must share (the sanitizers' runtime must come first).
set -euo pipefail
build=$1
here=$2
flags=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
unset LD_LIBRARY_PATH

pc=$(find "$prefix" -name quorvex6.pc)
[ -n "$pc" ] || { echo "no quorvex6.pc installed"; exit 1; }
export PKG_CONFIG_PATH=$(dirname "$pc")
c++ -std=c++20 $flags "$here/host.cpp" $(pkg-config --cflags --libs quorvex6) -o "$work/host-pc"
expected_prefix="ArcMode 1 LevelLZX 15 Version "
out=$("$work/host-pc" 2>/dev/null)
case "$out" in "$expected_prefix"*) ;; *) echo "pkg-config host printed: $out"; exit 1;; esac

mkdir "$work/cmake-host"
cp "$here/host.cpp" "$work/cmake-host/"
cp "$here/CMakeLists.txt.in" "$work/cmake-host/CMakeLists.txt"
cmake -S "$work/cmake-host" -B "$work/cmake-host/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$work/cmake-host/build" >/dev/null
out_cmake=$("$work/cmake-host/build/host" 2>/dev/null)
[ "$out_cmake" = "$out" ] || { echo "CMake host printed: $out_cmake, pkg-config host: $out"; exit 1; }

# The program finds libquorvex6 and the archiver libraries beside it with no environment.
"$prefix/bin/quorvex" --version >/dev/null
"$prefix/bin/quorvex" script <<<'get LevelQUANTUM' | grep -qx 1
# Every archiver library that was built is installed beside the control and answers.
for lib in "$build"/lib/lib*32*.so; do
  [ -e "$lib" ] || continue
  [ -e "$(dirname "$(find "$prefix" -name libquorvex6.so)")/$(basename "$lib")" ] ||
    { echo "$(basename "$lib") was built but not installed"; exit 1; }
done
if [ -e "$build/lib/libunzip32.so" ]; then
  case "$out" in "${expected_prefix}0") echo "the installed control cannot load unzip32"; exit 1;; esac
fi
# The installed control packs ARJ with our writer beside it: every name, a top-level dot-file
# (which Debian's arj never finishes on) and a name without a dot too.
if [ -e "$build/lib/quorvex-arj" ]; then
  mkdir "$work/src"
  printf 'x\n' > "$work/src/Makefile"
  printf 'y\n' > "$work/src/.top"
  "$prefix/bin/quorvex" pack "$work/t.arj" --base "$work/src" --quiet 2>/dev/null
  for _ in $(seq 100); do [ -e "$work/t.arj" ] && break; sleep 0.1; done
  listed=$("$prefix/bin/quorvex" list "$work/t.arj" --format csv 2>&1 || true)
  for name in Makefile .top; do
    grep -q "^$name," <<<"$listed" || { echo "the installed ARJ pack lost $name: $listed"; exit 1; }
  done
fi
# Without a rar on PATH the installed control packs RAR with our program beside it.
if [ -e "$build/lib/quorvex-rar" ] && ! command -v rar >/dev/null; then
  mkdir -p "$work/src"
  printf 'x\n' > "$work/src/Makefile"
  "$prefix/bin/quorvex" pack "$work/t.rar" --base "$work/src" --quiet 2>/dev/null
  for _ in $(seq 100); do [ -s "$work/t.rar" ] && break; sleep 0.1; done
  listed=$("$prefix/bin/quorvex" list "$work/t.rar" --format csv 2>&1 || true)
  grep -q "^Makefile," <<<"$listed" || { echo "the installed RAR pack lost Makefile: $listed"; exit 1; }
fi
echo "installed, built with pkg-config and CMake, ran: $out"
