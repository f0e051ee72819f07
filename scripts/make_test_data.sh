#!/usr/bin/env bash
# Regenerates the small interoperability archives under tests/data/ with tools nobody here
# wrote (Debian packages installed by scripts/setup.sh). Each format has its own part in
# tests/data/gen/; the archives they make are committed, so tests never depend on this script.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C.UTF-8 TZ=UTC
for part in tests/data/gen/*.sh; do
  echo "test data: $part"
  bash "$part" "$PWD/tests/data"
done
