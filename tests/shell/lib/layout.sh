# shellcheck shell=bash
# The installed layout, shared by the install and package checks.
# Paths are relative to the file-system root, one a line, sorted.

# gadget_files SOURCE_DIR: the gadget's files; one catalogue per translation.
gadget_files() {
    local src=$1 po lang
    {
        echo usr/ug/vantro/lib/libvantro.so.0.1
        echo usr/ug/vantro/res/1920X1080/i_ok_done_allow.png
        echo usr/ug/vantro/res/edje/bookmark_thumbnailwnd.edj
        echo usr/ug/vantro/res/images/1920X1080/sm_thumbnail_blank.png
        for po in "$src"/res/locale/*/LC_MESSAGES/vantro.po; do
            lang=$(basename "$(dirname "$(dirname "$po")")")
            echo "usr/ug/vantro/res/locale/$lang/LC_MESSAGES/vantro.mo"
        done
    } | LC_ALL=C sort
}

# sim_files: the simulated platform and its tools.
sim_files() {
    printf '%s\n' usr/bin/make-bmk usr/bin/tv-viewer-sim usr/lib/vantro-sim/libvantro-platform-sim.so | LC_ALL=C sort
}

# parent_dirs: every directory above the listed paths (read from stdin).
parent_dirs() {
    local path
    while read -r path; do
        path=$(dirname "$path")
        while [ "$path" != . ]; do
            echo "$path"
            path=$(dirname "$path")
        done
    done | LC_ALL=C sort -u
}

# tree_entries ROOT: "f PATH", "l PATH" and "d PATH" for everything under ROOT.
tree_entries() {
    (cd "$1" && find . -mindepth 1 \( -type f -printf 'f %P\n' \) -o \( -type l -printf 'l %P\n' \) \
        -o \( -type d -printf 'd %P\n' \)) | LC_ALL=C sort
}

# expected_entries FILES...: what tree_entries shows for exactly those files.
expected_entries() {
    { printf 'f %s\n' "$@"; printf '%s\n' "$@" | parent_dirs | sed 's/^/d /'; } | LC_ALL=C sort
}

# deb_entries DEB: the package's contents in the form of tree_entries.
deb_entries() {
    dpkg-deb -c "$1" | awk '{ t = substr($1, 1, 1); p = $6; sub(/^\.\//, "", p); sub(/\/$/, "", p);
        if (p == "") next; if (t == "-") t = "f"; print t, p }' | LC_ALL=C sort
}

# same_entries WHAT EXPECTED ACTUAL: fails with a diff when they differ.
same_entries() {
    if [ "$2" != "$3" ]; then
        echo "$1 differs (- expected, + found):"
        diff <(echo "$2") <(echo "$3") | grep '^[<>]' | sed 's/^</-/; s/^>/+/'
        return 1
    fi
}

# platform_of BINARY: where the loader finds the simulated platform for BINARY
# through its run path. Read from the ELF file, so that it answers for a
# program of any architecture.
platform_of() {
    local bin=$1 dir runpath dynamic
    dynamic=$(readelf -d "$bin")
    grep -qF 'Shared library: [libvantro-platform-sim.so]' <<<"$dynamic" || { echo "not needed"; return; }
    runpath=$(sed -n 's/.*(R[UN]*PATH).*\[\(.*\)\]$/\1/p' <<<"$dynamic")
    local IFS=:
    for dir in $runpath; do
        dir=${dir//\$ORIGIN/$(dirname "$bin")}
        [ -e "$dir/libvantro-platform-sim.so" ] && { echo "$dir/libvantro-platform-sim.so"; return; }
    done
    echo "nowhere (not found)"
}
