#!/usr/bin/env bash
# Builds the Linux module and quorl-host, installs the module into ~/.vst,
# prints what it reports to a host, and renders the built-in plucked-string
# phrase through it with a kick on the springs (out/quorl-demo.wav).
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
mkdir -p out
echo
echo "rendering the demo phrase with a kick at 1.2 s into out/quorl-demo.wav"
build/main-job/tools/host/quorl-host render "$HOME/.vst/Quorl.so" --demo out/quorl-demo.wav \
  --set Decay=0.7 --at 1.2:Kick=0.8 --tail 2
