#!/usr/bin/env bash
# Cross-builds everything for a Debian ARM architecture and runs the whole
# CTest suite under user-mode emulation. Ends with CTest's summary.
#
#   bash scripts/cross-test.sh armhf|arm64
#
# Installs the cross compilers, qemu-user-static and mmdebstrap on the build
# machine; the target's own packages (libc, EFL, GoogleTest, ...) go into a
# sysroot under build-ARCH/, made once and reused, never into the host system.
# Leaves build-ARCH/target-run PROGRAM ARGS..., which runs one target program
# under the emulator with that sysroot.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
arch=${1:-}
case $arch in
  armhf) triple=arm-linux-gnueabihf qemu=qemu-arm-static ;;
  arm64) triple=aarch64-linux-gnu qemu=qemu-aarch64-static ;;
  *) echo "usage: $0 armhf|arm64" >&2; exit 2 ;;
esac
build=$PWD/build-$arch
sysroot=$build/sysroot
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

[ "${SKIP_DEPS:-0}" = 1 ] || bash scripts/install-deps.sh || exit 1
missing=0
for tool in "$triple-g++" "$qemu" mmdebstrap unshare; do command -v "$tool" >/dev/null || missing=1; done
if [ $missing = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  { $SUDO apt-get update -qq && $SUDO apt-get install -y -qq --no-install-recommends \
      "g++-$triple" qemu-user-static mmdebstrap util-linux >/dev/null; } || exit 1
fi

# What the target build and its tests need of the target's packages.
packages=libc6-dev,libstdc++-12-dev,libgcc-12-dev,libefl-all-dev,libevas1-engines-x,libelementary-data,\
libgtest-dev,libgmock-dev,libbenchmark-dev,fonts-dejavu-core,fontconfig-config
if [ "$(cat "$sysroot/.vantro-sysroot" 2>/dev/null)" != "$packages" ]; then
  echo "== sysroot of Debian's $arch packages (once per build tree)"
  $SUDO rm -rf "$sysroot" && mkdir -p "$build"
  mirror=http://deb.debian.org/debian security=http://deb.debian.org/debian-security
  $SUDO mmdebstrap --quiet --mode=root --variant=extract --architectures="$arch" --include="$packages" bookworm "$sysroot" \
    "deb $mirror bookworm main" "deb $mirror bookworm-updates main" "deb $security bookworm-security main" \
    || { echo "making the $arch sysroot failed"; exit 1; }
  # The compilers resolve links inside the sysroot: absolute ones must be relative.
  $SUDO find "$sysroot" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    target=$(readlink "$link")
    $SUDO ln -sfn "$(realpath -m --relative-to="$(dirname "$link")" "$sysroot$target")" "$link"
  done
  $SUDO chown -R "$(id -u):$(id -g)" "$sysroot"
  echo "$packages" >"$sysroot/.vantro-sysroot"
fi

# The toolkit stats its module folders by their absolute target paths, and the
# emulator's prefix redirects open but not stat: a private mount namespace
# shows the sysroot's library folder at that path, and nothing outside it
# changes. The mount point is made once, empty, if the host lacks it.
libdir=/usr/lib/$triple
cat >"$build/target-run" <<RUNNER
#!/usr/bin/env bash
# Runs one $arch program under the emulator, over the sysroot beside this file.
# Usage: target-run PROGRAM ARGS...    (target-run --host COMMAND ARGS... runs a
# build-machine command, ctest say, where target programs can run)
sysroot="$sysroot"
if [ -z "\${VANTRO_TARGET_NS:-}" ]; then
  [ -d "$libdir" ] || $SUDO mkdir -p "$libdir"
  export VANTRO_TARGET_NS=1
  exec ${SUDO:+$SUDO --preserve-env=VANTRO_TARGET_NS }unshare -m --propagation private \\
    bash -c 'mount --bind "\$0$libdir" "$libdir" && exec "\$@"' "\$sysroot" "\$0" "\$@"
fi
[ "\$1" = --host ] && { shift; exec "\$@"; }
exec $qemu -L "\$sysroot" "\$@"
RUNNER
chmod +x "$build/target-run"

echo "== $arch build"
export ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0
mkdir -p "$build/tmp" && export TMPDIR="$build/tmp"
# A configure that never finished leaves a cache with the wrong defaults.
[ -f "$build/Makefile" ] || rm -f "$build/CMakeCache.txt"
if ! { cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$arch.cmake" -DVANTRO_SYSROOT="$sysroot" \
         -DVANTRO_EMULATOR="$build/target-run" -DVANTRO_RES_DIR="$build/res" >"$build.log" 2>&1 &&
       cmake --build "$build" -j2 >>"$build.log" 2>&1; }; then
  echo "build of $build failed:"; tail -40 "$build.log"; exit 1
fi

echo "== $arch CTest under emulation (sysroot and build: $SECONDS s)"
shift
# One namespace for the whole run, so each program need not make its own.
cd "$build" && exec "$build/target-run" --host ctest -j2 --output-on-failure "$@"
