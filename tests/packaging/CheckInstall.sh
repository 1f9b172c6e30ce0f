#!/usr/bin/env bash
# Installs Velt into a temporary root (DESTDIR) and checks what lands there: exactly the files
# a desktop needs, icons of the size their folder names, a menu entry that starts an installed
# program, and a man page and a completion that know every command and option of velt-cli.
set -euo pipefail
build=$1
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

icons=""
for size in 16 32 48 64 128 256; do
    icons+="usr/share/icons/hicolor/${size}x${size}/apps/org.velt.velt.png"$'\n'
done
icons+="usr/share/icons/hicolor/scalable/apps/org.velt.velt.svg"$'\n'
expected="$(LC_ALL=C sort <<EOF2
usr/bin/velt
usr/bin/velt-cli
usr/share/applications/org.velt.velt.desktop
usr/share/bash-completion/completions/velt-cli
usr/share/doc/velt/README.md
usr/share/doc/velt/changelog.Debian.gz
usr/share/doc/velt/copyright
${icons}usr/share/lintian/overrides/velt
usr/share/man/man1/velt-cli.1.gz
usr/share/man/man1/velt.1.gz
usr/share/metainfo/org.velt.velt.metainfo.xml
EOF2
)"
actual="$(cd "$root" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort)"
diff <(echo "$expected") <(echo "$actual") >&2 || fail "the installed files differ from the list (< expected, > installed)"

svg="$root/usr/share/icons/hicolor/scalable/apps/org.velt.velt.svg"
rsvg-convert -w 48 "$svg" >/dev/null || fail "the scalable icon does not draw"
for size in 16 32 48 64 128 256; do
    png="$root/usr/share/icons/hicolor/${size}x${size}/apps/org.velt.velt.png"
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "icon in ${size}x${size} is ${width}x${height}"
done

desktop="$root/usr/share/applications/org.velt.velt.desktop"
program="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
[ -x "$root/usr/bin/$program" ] || fail "the menu entry starts '$program', which is not installed in /usr/bin"
icon="$(sed -n 's/^Icon=//p' "$desktop")"
[ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "the menu entry's icon '$icon' is not installed"
grep -q '^MimeType=' "$desktop" && fail "the menu entry claims file types"

cli="$root/usr/bin/velt-cli"
"$cli" --version | grep -qx "velt-cli [0-9][0-9.]*" || fail "velt-cli --version"
man="$(gzip -dc "$root/usr/share/man/man1/velt-cli.1.gz")"
completion="$(cat "$root/usr/share/bash-completion/completions/velt-cli")"
commands="$("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p')"
[ -n "$commands" ] || fail "velt-cli --help lists no commands"
for command in $commands; do
    grep -qx "\.SS $command" <<<"$man" || fail "the man page has no section for $command"
    grep -qw -- "$command" <<<"$completion" || fail "the completion does not know $command"
    for option in $("$cli" "$command" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -qF -- "${option//-/\\-}" <<<"$man" || fail "the man page does not mention $command $option"
        grep -qw -- "$option" <<<"$completion" || fail "the completion does not offer $command $option"
    done
done
exit "$status"
