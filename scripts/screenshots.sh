#!/usr/bin/env bash
# Writes pictures of every dialog, every property view and the main window, in English and in
# Russian (also the window after its token is taken out, a certificate under LANG=de_DE.UTF-8
# and the window of a second start), into build/screenshots/ (PNG files), for people to look
# at. Builds what it needs in build/ as scripts/test.sh does, then runs tools/screenshots under
# Qt's offscreen platform, in a temporary world of demo tokens. The test command does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/vkcert-ccache}
# Clones in other folders share the cache: paths are taken relative to here.
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vkcert-screenshots

rm -rf build/screenshots
QT_QPA_PLATFORM=offscreen build/tools/screenshots/vkcert-screenshots build/screenshots
