#!/usr/bin/env bash
# A document of 1 GiB (or the size given in MiB) through the real command
# line: one that converts and one that is refused for needing too many CSS
# classes, each with its time and its peak memory against the limit of 3
# times its size. Builds the Linux preset first. Needs about 3 times the size
# in free disk space under the work directory (default: the system's
# temporary directory).
#
#   bash scripts/big_input.sh            # 1 GiB
#   bash scripts/big_input.sh 2048 DIR   # 2 GiB, documents under DIR
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
size=${1:-1024}
workdir=${2:-${TMPDIR:-/tmp}}
cmake --preset linux > /dev/null
cmake --build --preset linux --target quorlix_cli
exec python3 tests/e2e/big_input_test.py build/linux/quorlix --size-mib "$size" --workdir "$workdir"
