#!/usr/bin/env bash
# The gadget exports exactly its three entry points and carries its soname.
set -euo pipefail
lib=$1
exported=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v '^VANTRO' | sort)
expected=$(printf '%s\n' UG_MODULE_EXIT UG_MODULE_INIT _ZN12CSportsUGAPI18IsSportsmodeUGShowEv | sort)
if [ "$exported" != "$expected" ]; then
  echo "exported symbols differ:"; diff <(echo "$expected") <(echo "$exported") || true; exit 1
fi
soname=$(readelf -d "$lib" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')
[ "$soname" = "libvantro.so.0.1" ] || { echo "soname is '$soname'"; exit 1; }
echo "exports and soname ok"
