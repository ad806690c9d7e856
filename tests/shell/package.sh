#!/usr/bin/env bash
# The Debian packages: a build reading its resources from its own tree is not
# packaged; packages of a build whose resource root is where they are unpacked
# hold exactly the installed layout, and the unpacked gadget runs.
# Arguments: the built library, the build directory, the source directory.
set -euo pipefail
build=$2 src=$3
. "$src/tests/shell/lib/layout.sh"
fail=0

mapfile -t gadget < <(gadget_files "$src")
mapfile -t sim < <(sim_files)

# The Debian architecture of the machine code the build made: what the
# packages must be labelled, whichever machine built them.
case $(readelf -h "$1" | sed -n 's/^ *Machine: *//p') in
    *X86-64*) arch=amd64 ;;
    *AArch64*) arch=arm64 ;;
    ARM) arch=armhf ;;
    *80386*) arch=i386 ;;
    *) arch=unknown ;;
esac

# check_packages DIR WHAT: the two packages in DIR have the right names and contents.
check_packages() {
    local dir=$1 what=$2 deb name
    for name in vantro vantro-sim; do
        deb=$(find "$dir" -maxdepth 1 -name "${name}_*.deb")
        [ "$(basename "$deb")" = "${name}_0.1_$arch.deb" ] || { echo "$what: $deb is not ${name}_0.1_$arch.deb"; fail=1; }
        if [ "$(echo "$deb" | grep -c .)" != 1 ]; then
            echo "$what: expected one package $name, found: $(ls "$dir")"; fail=1; continue
        fi
        [ "$(dpkg-deb -f "$deb" Package)" = "$name" ] || { echo "$deb is not named $name"; fail=1; }
        [ "$(dpkg-deb -f "$deb" Version)" = 0.1 ] || { echo "$deb has version $(dpkg-deb -f "$deb" Version)"; fail=1; }
        if [ "$name" = vantro ]; then
            same_entries "$what: $name" "$(expected_entries "${gadget[@]}")" "$(deb_entries "$deb")" || fail=1
        else
            same_entries "$what: $name" "$(expected_entries "${sim[@]}")" "$(deb_entries "$deb")" || fail=1
        fi
    done
}

# cpack_into BUILD DIR: the build's packages, made afresh in DIR.
cpack_into() {
    rm -rf "$2" && mkdir -p "$2"
    (cd "$1" && cpack -G DEB -B "$2" >"$2/cpack.log" 2>&1) || { cat "$2/cpack.log"; return 1; }
    rm -rf "$2/_CPack_Packages"
}

work=$build/package-check
mkdir -p "$work"

# 1. A host build reads its resources from its own tree unless told
#    otherwise: packaging it is refused, saying why.
res_dir=$(sed -n 's/^VANTRO_RES_DIR:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$res_dir" != /usr/ug/vantro/res ]; then
    if cpack_into "$build" "$work/debs" >/dev/null; then
        echo "a build reading its resources from $res_dir was packaged"; fail=1
    elif ! grep -q "refusing to package: this build's gadget reads its resources from" "$work/debs/cpack.log"; then
        echo "packaging refused without saying why:"; cat "$work/debs/cpack.log"; fail=1
    fi
fi

# Nested builds are made with this build's compilers and for its target: a
# cross build's toolchain, sysroot and emulator go with them.
cross=()
for var in CMAKE_TOOLCHAIN_FILE VANTRO_SYSROOT VANTRO_EMULATOR CMAKE_CXX_COMPILER CMAKE_C_COMPILER; do
    value=$(sed -n "s/^$var:[A-Z]*=//p" "$build/CMakeCache.txt")
    [ -z "$value" ] || cross+=("-D$var=$value")
done

# A device build (its own platform libraries) reads them where they install.
cmake -S "$src" -B "$work/device" "${cross[@]}" -DVANTRO_PLATFORM_LIBS=tvplatform -DVANTRO_TESTS=OFF -DVANTRO_BENCH=OFF \
    >"$work/device.log" 2>&1 || { cat "$work/device.log"; exit 1; }
device_res=$(sed -n 's/^VANTRO_RES_DIR:[A-Z]*=//p' "$work/device/CMakeCache.txt")
[ "$device_res" = /usr/ug/vantro/res ] || { echo "a device build reads its resources from '$device_res'"; fail=1; }

# 2. A build like the product, but with its resource root at the unpacked
#    tree: the gadget then reads the packaged resources, not the build's. The
#    build directory is kept between runs, so only the first run builds much.
root=$work/root
product=$work/build
generator=$(sed -n 's/^CMAKE_GENERATOR:INTERNAL=//p' "$build/CMakeCache.txt")
cmake -S "$src" -B "$product" -G "$generator" "${cross[@]}" \
    -DVANTRO_RES_DIR="$root/usr/ug/vantro/res" -DVANTRO_PACKAGE_ANY_RES_DIR=ON -DVANTRO_TESTS=OFF -DVANTRO_BENCH=OFF \
    -DVANTRO_SANITIZE=OFF -DVANTRO_TSAN=OFF -DVANTRO_FUZZ=OFF >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; exit 1; }
cmake --build "$product" -j2 >"$work/build.log" 2>&1 || { tail -40 "$work/build.log"; exit 1; }
cpack_into "$product" "$work/product-debs"
check_packages "$work/product-debs" "packages of the run build"
[ "$fail" = 0 ] || exit 1

rm -rf "$root" && mkdir -p "$root"
for deb in "$work"/product-debs/*.deb; do dpkg-deb -x "$deb" "$root"; done
gadget_lib=$root/usr/ug/vantro/lib/libvantro.so.0.1
viewer=$root/usr/bin/tv-viewer-sim

# Every resource path compiled into the unpacked library is in the unpacked tree.
mapfile -t paths < <(strings "$gadget_lib" | grep "^$root/" | LC_ALL=C sort -u)
for want in edje/bookmark_thumbnailwnd.edj 1920X1080/i_ok_done_allow.png locale; do
    printf '%s\n' "${paths[@]}" | grep -qxF "$root/usr/ug/vantro/res/$want" \
        || { echo "library does not name $root/usr/ug/vantro/res/$want"; fail=1; }
done
for path in "${paths[@]}"; do
    [ -e "$path" ] || { echo "library names $path, which no package installs"; fail=1; }
done
resolved=$(platform_of "$viewer")
[ "$resolved" -ef "$root/usr/lib/vantro-sim/libvantro-platform-sim.so" ] \
    || { echo "unpacked viewer loads the platform from '$resolved'"; fail=1; }

# The example, with its recording under the scratch tree so that a parallel
# run of the example itself does not share the bookmark file.
sed "s|vantro-example/|$work/example/|g" "$src/examples/default.scenario" >"$work/default.scenario"
mkdir -p "$work/shots"
run_example() {
    # The fallback thumbnail is named relative to the viewer's working directory.
    (cd "$root/usr/ug/vantro" && ${VANTRO_EMULATOR:+"$VANTRO_EMULATOR"} "$viewer" --gadget "$gadget_lib" --logs --out "$work/shots" \
        "$work/default.scenario") >"$work/transcript" 2>&1
}
if ! run_example || grep -q "failed to load edj file" "$work/transcript"; then
    echo "the unpacked gadget failed the example:"; cat "$work/transcript"; fail=1
fi
# And it is the packaged layout file that made it pass: without it the same run fails.
edj=$root/usr/ug/vantro/res/edje/bookmark_thumbnailwnd.edj
mv "$edj" "$edj.away"
if run_example; then
    echo "the example passes without the packaged layout file: the run does not use the package"; fail=1
fi
mv "$edj.away" "$edj"

[ "$fail" = 0 ] && echo "packages ok"
exit "$fail"
