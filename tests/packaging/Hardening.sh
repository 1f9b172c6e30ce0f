#!/usr/bin/env bash
# The packaged programs carry Debian's hardening, as readelf shows it: position-independent
# (type DYN), relocations read-only (GNU_RELRO) and bound at start (BIND_NOW), the stack
# protector (__stack_chk_fail) and fortified functions (__*_chk).
set -euo pipefail
deb="$(ls "$1"/velt_*.deb)"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}
for program in velt velt-cli; do
    binary="$root/usr/bin/$program"
    headers="$(readelf --file-header --program-headers --dynamic --wide "$binary")"
    symbols="$(readelf --dyn-syms --wide "$binary")"
    grep -Eq '^ *Type: +DYN' <<<"$headers" || fail "$program is not position-independent"
    grep -q 'GNU_RELRO' <<<"$headers" || fail "$program has no read-only relocations"
    grep -Eq '\(FLAGS\) .*BIND_NOW|\(FLAGS_1\) .*NOW' <<<"$headers" || fail "$program binds its symbols late"
    grep -q ' __stack_chk_fail@' <<<"$symbols" || fail "$program has no stack protector"
    grep -Eq ' __[a-z0-9_]+_chk@' <<<"$symbols" || fail "$program calls no fortified function"
done
exit "$status"
