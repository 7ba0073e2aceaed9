#!/usr/bin/env bash
# Builds the Debian package from this build tree, extracts it with dpkg-deb -x
# into a temporary folder and runs what it holds: vantrel-cli --version, and
# a comm-test of the extracted vantrel-cli against the extracted vantrel-sim.
# Usage: extract_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
tmp=$(mktemp -d)
sim=""
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log" >&2; fail "cpack"; }
deb="$tmp/out/vantrel_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$tmp/out")"

dpkg-deb -x "$deb" "$tmp/root"
root="$tmp/root/usr"
for file in bin/vantrel bin/vantrel-cli bin/vantrel-sim \
  share/applications/org.vantrel.Vantrel.desktop \
  share/metainfo/org.vantrel.Vantrel.metainfo.xml \
  share/icons/hicolor/scalable/apps/vantrel.svg \
  share/man/man1/vantrel.1.gz share/man/man1/vantrel-cli.1.gz share/man/man1/vantrel-sim.1.gz \
  share/bash-completion/completions/vantrel-cli \
  share/doc/vantrel/copyright share/doc/vantrel/changelog.gz; do
  [ -e "$root/$file" ] || fail "the package lacks /usr/$file"
done
[ ! -e "$root/bin/vantrel-linkdemo" ] || fail "the link demo is packaged"
depends=$(dpkg-deb -f "$deb" Depends)
[[ "$depends" == *libqt6serialport6* ]] || fail "Depends lacks Qt SerialPort: $depends"

got=$("$root/bin/vantrel-cli" --version)
[ "$got" = "vantrel-cli $version" ] || fail "vantrel-cli --version printed '$got'"
got=$("$root/bin/vantrel-sim" --version)
[ "$got" = "vantrel-sim $version" ] || fail "vantrel-sim --version printed '$got'"

# The completion offers every operation that the help names.
words=$("$root/bin/vantrel-cli" --help | sed -n '/^Operations:/,/^$/p' | sed 's/--[a-z-]*//g' |
  grep -oE '\b(search|poll|[a-z][a-z0-9]*(-[a-z0-9]+)+)\b' | sort -u)
[ "$(wc -w <<<"$words")" -ge 30 ] || fail "the help names too few operations: $words"
offered=$(bash -c \
  'source "$1"; COMP_WORDS=(vantrel-cli ""); COMP_CWORD=1; _vantrel_cli; printf "%s\n" "${COMPREPLY[@]}"' \
  _ "$root/share/bash-completion/completions/vantrel-cli")
for word in $words; do
  grep -qx -- "$word" <<<"$offered" || fail "bash completion lacks the operation $word"
done

# The simulator prints its terminal's path on its first line; wait for it
# with a generous bound.
"$root/bin/vantrel-sim" >"$tmp/sim.out" &
sim=$!
for _ in $(seq 100); do
  [ -s "$tmp/sim.out" ] && break
  sleep 0.1
done
port=$(head -n 1 "$tmp/sim.out")
[ -n "$port" ] || fail "vantrel-sim printed no terminal"
reply=$("$root/bin/vantrel-cli" --port "$port" --json comm-test)
[[ "$reply" == *'"result": "success"'* ]] || fail "comm-test through the package: $reply"
# The English texts are built into the program, not looked for beside it.
reply=$("$root/bin/vantrel-cli" --lang en --port "$port" --json comm-test)
[[ "$reply" == *'"status": "Communication OK"'* ]] || fail "no English in the package: $reply"
echo "package $deb: extracted, vantrel-cli and vantrel-sim run"
