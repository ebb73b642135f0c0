#!/bin/sh
# Builds the Windows program. The launcher window itself comes with the next step.
set -eu
cd "$(dirname "$0")/.."
tools/install-packages.sh
cmake --preset windows
cmake --build --preset windows
echo "Built build/windows/bin. The launcher window comes with the next step."
