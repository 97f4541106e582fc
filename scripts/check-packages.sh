#!/usr/bin/env bash
# The packages as an operator meets them, once both presets have built them (fwhost-package):
# lintian on the Debian package; the package installed with apt into a clean Debian 12 root,
# where fwhost loads the installed plug-in and maps an installed example, man renders the page
# with every command and option of fwhost's help, and bash completes commands, options and image
# names; the zip unpacked, its sums checked and its fwhost.exe run under Wine. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh lintian
deb=$(echo build/default/fwhost_*_amd64.deb)
zip=$(echo build/windows/fwhost-*-win64.zip)
work=$(mktemp -d "${TMPDIR:-/tmp}/fwprovider-packages.XXXXXX")
trap 'umount "$work/root/proc" 2>/dev/null || true; rm -rf "$work"' EXIT

lintian --fail-on error,warning "$deb"

mkdir "$work/root"
scripts/clean-root.sh "$work/root"
cp "$deb" "$work/root/tmp/"
plugin_sha256=$(sha256sum build/default/provider/libfwprovider.so | cut -d ' ' -f 1)
# fwhost finds its own folder, and so its plug-in, through /proc.
mount -t proc proc "$work/root/proc"
chroot "$work/root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  /bin/bash -s "/tmp/${deb##*/}" "$plugin_sha256" <<'EOF'
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq -o Dpkg::Use-Pty=0 "$1" >/dev/null
cd /tmp
fail() { echo "installed fwhost: $*" >&2; exit 1; }

plugin=$(dpkg -L fwhost | grep '/libfwprovider\.so$')
fwhost info
fwhost info --json | grep -q "\"path\": \"$plugin\"" || fail "info loads no $plugin"
[ "$(sha256sum "$plugin" | cut -d ' ' -f 1)" = "$2" ] || fail "$plugin is not the plug-in built"
fwhost map /usr/share/doc/fwhost/examples/update-available.xml
fwhost map --json /usr/share/doc/fwhost/examples/update-available.xml | grep -q '"status": 65' ||
  fail "map gives no update for update-available.xml"

# The page has a part for every command, holding each option that command's help lists.
page=$(MANWIDTH=100 man fwhost 2>/dev/null)
commands=$(fwhost --help | awk '/^Subcommands:/ { on = 1; next } /^$/ { on = 0 } on { print $1 }')
for command in $commands; do
  part=$(awk -v heading="   $command" '$0 == heading { on = 1; next } /^   [a-z]/ { on = 0 } on' \
    <<<"$page")
  [ -n "$part" ] || fail "man fwhost has no part for $command"
  for option in $(fwhost "$command" --help | sed -n 's/^ *\(-[^ ]*\).*/\1/p' | tr , ' '); do
    grep -q -- "$option" <<<"$part" || fail "man fwhost does not give $command's $option"
  done
done

# The sections an operator looks for, and the page's examples run word for word; scan's needs
# this machine's drives, which the root has not.
for section in NAME SYNOPSIS DESCRIPTION COMMANDS VERDICTS "DRIVE ATTRIBUTES" FILES \
  "EXIT STATUS" EXAMPLES "SEE ALSO"; do
  grep -qx "$section" <<<"$page" || fail "man fwhost has no $section"
done
while read -r example; do
  bash -c "$example" >/dev/null || fail "the page's example fails: $example"
done < <(awk '/^EXAMPLES$/ { on = 1; next } /^[A-Z]/ { on = 0 } on && NF' <<<"$page" |
  grep -v '^ *sudo ')

# The user's guide, the package's README, and its Linux examples word for word.
while read -r example; do
  bash -c "$example" >/dev/null || fail "the guide's example fails: $example"
done < <(zcat /usr/share/doc/fwhost/README.md.gz |
  awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' | grep -v '^sudo ')

# What bash offers for the last word of a command line, as a shell with bash-completion does.
offered() {
  bash -c 'source /usr/share/bash-completion/bash_completion
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*" COMP_POINT=${#COMP_LINE}
    __load_completion fwhost || exit 1
    function=$(complete -p fwhost | sed "s/.* -F \([^ ]*\) .*/\1/")
    "$function" fwhost "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf "%s\n" "${COMPREPLY[@]}"' bash "$@"
}
[ "$(offered fwhost pl)" = plan ] || fail "fwhost pl<TAB> offers '$(offered fwhost pl)'"
[ "$(offered fwhost plan --dr)" = --dry-run ] || fail "fwhost plan --dr<TAB> offers no --dry-run"
[ "$(offered fwhost fetch 3)" = 3REV1_H2L018T2PB_256 ] || fail "fwhost fetch 3<TAB> offers no image"
echo "installed fwhost: info, map, man fwhost, the guide's examples and completion as expected"
EOF

mkdir "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$OLDPWD/$zip")
folder=$(echo "$work"/zip/fwhost-*-win64)
(cd "$folder" && sha256sum --quiet -c SHA256SUMS)
export WINEPREFIX=${WINEPREFIX:-${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}/wine} WINEDEBUG=-all
info=$(cd "$folder" && wine fwhost.exe info --json </dev/null)
echo "$info"
dll_sha256=$(sha256sum "$folder/fwprovider.dll" | cut -d ' ' -f 1)
grep -q "\"path\": \".*${folder##*/}\\\\\\\\fwprovider.dll\"" <<<"$info" &&
  grep -q "\"sha256\": \"$dll_sha256\"" <<<"$info" ||
  { echo "$zip: the unpacked fwhost.exe did not load the DLL beside it" >&2; exit 1; }
(cd "$folder" && wine fwhost.exe map 'examples\update-available.xml' </dev/null) |
  grep -q "^update available" || { echo "$zip: its example maps to no update" >&2; exit 1; }
echo "$zip: unpacked, its SHA256SUMS hold, its fwhost.exe loads the DLL beside it and maps its example"
