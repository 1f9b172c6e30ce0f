#!/usr/bin/env bash
# Times velt-cli encode-file / restore-file on one file against openssl (AES-256-CTR),
# age (X25519 recipient), gpg (symmetric) and cp on the same file, with peak memory, and
# prints the ratios.
#
#   bench/compare_tools.sh [SIZE_MIB]      (default 256; build velt-cli first)
#
# Installs the Debian packages openssl, age, gnupg and time when missing. Set VELT_BUILD_DIR when
# the build is not in build/. Work files go to a temporary folder under TMPDIR and are removed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cli="${VELT_BUILD_DIR:-$root/build}/cli/velt-cli"
size_mib="${1:-256}"
[ -x "$cli" ] || { echo "velt-cli not found at $cli: build it first" >&2; exit 1; }
source "$root/scripts/deps.sh"
velt_packages=()
velt_ensure_packages openssl age gnupg time

work="$(mktemp -d "${TMPDIR:-/tmp}/velt-compare-XXXXXX")"
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir restored gnupg
chmod 700 gnupg
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > data
"$cli" keygen --out KEY.ORB >/dev/null
echo "pass phrase for the comparison" > pass
# age asks for a pass phrase only on a terminal; a key pair keeps it unattended.
age-keygen -o age.key 2>/dev/null
age_recipient=$(age-keygen -y age.key)

bytes=$(stat -c %s data)
results=()

# run NAME OUTPUT COMMAND...: times COMMAND, which writes OUTPUT, three times and keeps the
# fastest run. The first run of anything here also pays for memory the machine hands out for the
# first time, and other work on a shared host comes and goes; the best of three is each tool's
# own speed. Dropping file caches is not ours to do: every tool reads a file that is already in
# the page cache, so all pay the same.
run() {
    local name=$1 output=$2 best=""
    shift 2
    for attempt in 1 2 3; do
        rm -f "$output"
        sync
        /usr/bin/time -f "%e %U %S %M" -o time.out "$@" >/dev/null 2>time.err || { cat time.err >&2; exit 1; }
        read -r seconds user sys rss_kib < time.out
        if [ -z "$best" ] || awk -v a="$seconds" -v b="${best%% *}" 'BEGIN { exit !(a < b) }'; then
            best="$seconds $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') $rss_kib"
        fi
    done
    results+=("$name $best")
}

run "velt-cli encode-file" data.JPG "$cli" encode-file --key KEY.ORB data
mv data.JPG restored/
run "velt-cli restore-file" restored/data "$cli" restore-file --key KEY.ORB restored/data.JPG
cmp data restored/data
run "openssl aes-256-ctr enc" data.aes openssl enc -aes-256-ctr -pbkdf2 -pass file:pass -in data -out data.aes
run "openssl aes-256-ctr dec" data.aes.out openssl enc -d -aes-256-ctr -pbkdf2 -pass file:pass -in data.aes -out data.aes.out
run "age -r (X25519)" data.age age -r "$age_recipient" -o data.age data
run "age -d" data.age.out age -d -i age.key -o data.age.out data.age
run "gpg --symmetric" data.gpg gpg --homedir gnupg --batch --yes --pinentry-mode loopback --passphrase-file pass \
    --symmetric -o data.gpg data
run "gpg --decrypt" data.gpg.out gpg --homedir gnupg --batch --yes --pinentry-mode loopback --passphrase-file pass \
    --decrypt -o data.gpg.out data.gpg
run "cp" data.copy cp data data.copy

velt_encode=$(echo "${results[0]}" | awk '{print $(NF-2)}')
velt_restore=$(echo "${results[1]}" | awk '{print $(NF-2)}')
printf "%d MiB file, %s, load average %s\n" "$size_mib" "$(date -u +%FT%TZ)" "$(cut -d' ' -f1-3 /proc/loadavg)"
printf "%-26s %8s %8s %9s %9s %9s %14s %15s\n" "tool" "wall s" "cpu s" "MB/s" "cpu MB/s" "peak MiB" \
    "x velt encode" "x velt restore"
for line in "${results[@]}"; do
    read -r -a f <<< "$line"
    n=${#f[@]}
    name="${f[*]:0:n-3}"
    awk -v name="$name" -v s="${f[n-3]}" -v c="${f[n-2]}" -v rss="${f[n-1]}" -v b="$bytes" \
        -v e="$velt_encode" -v r="$velt_restore" \
        'BEGIN { if (s <= 0) s = 0.01; if (c <= 0) c = 0.01;
                 printf "%-26s %8.2f %8.2f %9.1f %9.1f %9.1f %14.2f %15.2f\n", name, s, c, b / s / 1e6, b / c / 1e6,
                        rss / 1024, e / s, r / s }'
done
echo "(best of three runs each; MB/s: the file's size over wall and over CPU time; x velt ...: how many times faster than"
echo " velt-cli's encode / restore in wall time that tool was)"
openssl_enc=$(echo "${results[2]}" | awk '{print $(NF-2)}')
openssl_dec=$(echo "${results[3]}" | awk '{print $(NF-2)}')
awk -v e="$velt_encode" -v r="$velt_restore" -v oe="$openssl_enc" -v od="$openssl_dec" \
    'BEGIN { printf "velt encode-file: %.2f x openssl enc; velt restore-file: %.2f x openssl dec (wall)\n", oe / e, od / r }'

