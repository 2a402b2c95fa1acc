#!/usr/bin/env bash
# Builds the Linux module, installs it into ~/.vst and prints what it
# reports to a host.
set -eu -o pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$ROOT"
JOBS=$(nproc 2>/dev/null || echo 2)

bash tools/ci/install-packages.sh

cmake --preset linux -DQUORL_TESTS=OFF -DQUORL_BENCH=OFF -B build/main-job >/dev/null
cmake --build build/main-job -j "$JOBS" --target Quorl quorl-host >/dev/null
bash tools/ci/check-exports.sh build/main-job

mkdir -p "$HOME/.vst"
install -m 0755 build/main-job/Quorl.so "$HOME/.vst/Quorl.so"
echo "installed $HOME/.vst/Quorl.so"
build/main-job/tools/host/quorl-host info "$HOME/.vst/Quorl.so"
