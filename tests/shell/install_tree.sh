#!/usr/bin/env bash
# The gadget exports exactly its three entry points, and `cmake --install`
# lays out exactly the gadget under /usr/ug/vantro; the simulator is installed
# only when asked for by its component.
# Arguments: the built library, the build directory, the source directory.
set -euo pipefail
lib=$1 build=$2 src=$3
. "$src/tests/shell/lib/layout.sh"
fail=0

exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v '^VANTRO' | sort)
expected=$(printf '%s\n' UG_MODULE_EXIT UG_MODULE_INIT _ZN12CSportsUGAPI18IsSportsmodeUGShowEv | sort)
[ "$exported" = "$expected" ] || { echo "exported symbols differ:"; diff <(echo "$expected") <(echo "$exported"); fail=1; }

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:[A-Z]*=//p' "$build/CMakeCache.txt")
[ "$prefix" = /usr/ug/vantro ] || { echo "install prefix is '$prefix', not the default /usr/ug/vantro"; exit 1; }

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

DESTDIR=$stage/all cmake --install "$build" >/dev/null
mapfile -t gadget < <(gadget_files "$src")
same_entries "default install" "$(expected_entries "${gadget[@]}")" "$(tree_entries "$stage/all")" || fail=1

installed=$stage/all/usr/ug/vantro/lib/libvantro.so.0.1
if [ -f "$installed" ]; then
    soname=$(readelf -d "$installed" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
    [ "$soname" = libvantro.so.0.1 ] || { echo "installed soname is '$soname'"; fail=1; }
    # The build's run path leads into the build tree; the product must not carry it.
    if readelf -d "$installed" | grep -qE '\((RPATH|RUNPATH)\)'; then
        echo "installed library keeps a run path:"; readelf -d "$installed" | grep -E 'RPATH|RUNPATH'; fail=1
    fi
    if [ "$(nm -D --defined-only "$installed")" != "$(nm -D --defined-only "$lib")" ]; then
        echo "installed library exports differ from the built one"; fail=1
    fi
fi
# Resources are the build's own, byte for byte.
for path in "${gadget[@]}"; do
    case $path in usr/ug/vantro/res/*) ;; *) continue ;; esac
    built=$build/res/${path#usr/ug/vantro/res/}
    [ ! -f "$stage/all/$path" ] || cmp -s "$built" "$stage/all/$path" || { echo "$path differs from $built"; fail=1; }
done

DESTDIR=$stage/sim cmake --install "$build" --component sim >/dev/null
mapfile -t sim < <(sim_files)
same_entries "simulator install" "$(expected_entries "${sim[@]}")" "$(tree_entries "$stage/sim")" || fail=1
# Installed tools find the simulated platform beside them, wherever the tree is.
for tool in tv-viewer-sim make-bmk; do
    [ -f "$stage/sim/usr/bin/$tool" ] || continue
    resolved=$(platform_of "$stage/sim/usr/bin/$tool")
    [ "$resolved" -ef "$stage/sim/usr/lib/vantro-sim/libvantro-platform-sim.so" ] \
        || { echo "installed $tool loads the platform from '$resolved'"; fail=1; }
done

[ "$fail" = 0 ] && echo "install tree ok"
exit "$fail"
