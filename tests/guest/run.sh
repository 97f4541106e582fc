#!/usr/bin/env bash
# fwhost scan on a real kernel: boots Debian's own kernel under QEMU (software emulation) with
# SATA, SCSI, NVMe and CD drives of chosen identities, runs fwhost scan inside as root, as root
# on a kernel without vpd_pg89, as a user, and with --plan then verify, and compares each
# identity with the one QEMU was told. Usage: tests/guest/run.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/../.."
build=$(realpath "${1:-build/default}")
scripts/setup.sh qemu-system-x86 busybox kmod

# The kernel package is only unpacked, never installed: its hooks would touch this machine's
# boot set-up. It is kept in the cache, so that later runs skip the download.
cache=${FWPROVIDER_CACHE:-$HOME/.cache/fwprovider}/kernel
package=$(apt-cache depends linux-image-amd64 | awk '$1 == "Depends:" { print $2; exit }')
if [ -z "$package" ]; then
  echo "guest: apt knows no linux-image-amd64; run apt-get update" >&2
  exit 1
fi
mkdir -p "$cache"
deb=$(find "$cache" -name "${package}_*.deb" | head -n 1)
if [ -z "$deb" ]; then
  rm -f "$cache"/*.deb
  (cd "$cache" && apt-get download -qq -o APT::Sandbox::User=root "$package")
  deb=$(find "$cache" -name "${package}_*.deb" | head -n 1)
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work/kernel"
version=${package#linux-image-}
depmod -b "$work/kernel" "$version"

# The initramfs: busybox, the storage drivers, fwhost beside its plug-in, and the libraries the
# three need, at the paths the loader looks in.
root=$work/root
modules=(ahci sr_mod sd_mod virtio_pci virtio_scsi nvme)
mkdir -p "$root"/{bin,dev,etc,proc,sys,opt/fw}
echo "root:x:0:0::/:/bin/sh" >"$root/etc/passwd"
echo "user:x:1000:1000::/tmp:/bin/sh" >>"$root/etc/passwd"
cp /bin/busybox "$root/bin/"
ln -s busybox "$root/bin/sh"
# Without their debugging sections, which the guest would only have to load.
for file in host/fwhost provider/libfwprovider.so; do
  strip --strip-debug -o "$root/opt/fw/${file#*/}" "$build/$file"
done
for binary in "$root/bin/busybox" "$root"/opt/fw/*; do
  ldd "$binary" | awk '$2 == "=>" && $3 ~ /^\// { print $3 } $1 ~ /^\// { print $1 }'
done | sort -u | xargs cp -L --parents -t "$root"
modprobe -d "$work/kernel" -S "$version" --show-depends -a "${modules[@]}" |
  awk -v tree="$work/kernel/" '$1 == "insmod" { print substr($2, length(tree) + 1) }' | sort -u |
  (cd "$work/kernel" &&
    xargs cp --parents -t "$root" "lib/modules/$version"/modules.{order,builtin,builtin.modinfo})
depmod -b "$root" "$version"
cp tests/guest/init "$root/init"
cp examples/fleet-attributes.json "$root/fleet.json"

# What QEMU is told each drive is.
sata1_model="QM SATA SSD 512GB HPS1 T2UB_256 REV1 0xE" sata1_serial=QM24B0002 sata1_ver=BRHPS1
sata2_model="QM SATA SSD 256GB" sata2_serial="    QM24C0003" sata2_ver=HPS0
ata_product="QM SCSI SSD 1TB" ata_serial=QM24D0004 ata_ver=HPS1
scsi_vendor=SEAGATE scsi_product=ST4000NM0023 scsi_ver=0004
nvme_serial=QM24A0001
# The four sd disks, the CD drive and the NVMe namespace.
echo 6 >"$root/want-drives"
(cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) >"$work/initramfs"

disk() { echo "driver=null-co,node-name=$1,size=1073741824,read-zeroes=on"; }
start=$SECONDS
timeout 240 qemu-system-x86_64 -machine pc -accel tcg -m 512 -nodefaults -display none \
  -no-reboot -serial "file:$work/console" -kernel "$work/kernel/boot/vmlinuz-$version" \
  -initrd "$work/initramfs" -append "console=ttyS0 quiet loglevel=1 panic=-1" \
  -device ahci,id=ahci \
  -blockdev "$(disk sata1)" \
  -device "ide-hd,bus=ahci.0,drive=sata1,model=$sata1_model,serial=$sata1_serial,ver=$sata1_ver" \
  -blockdev "$(disk sata2)" \
  -device "ide-hd,bus=ahci.1,drive=sata2,model=$sata2_model,serial=$sata2_serial,ver=$sata2_ver" \
  -device ide-cd,bus=ahci.2 \
  -device virtio-scsi-pci,id=scsi \
  -blockdev "$(disk ata)" \
  -device "scsi-hd,bus=scsi.0,drive=ata,vendor=ATA,product=$ata_product,ver=$ata_ver,serial=$ata_serial" \
  -blockdev "$(disk scsi)" \
  -device "scsi-hd,bus=scsi.0,drive=scsi,vendor=$scsi_vendor,product=$scsi_product,ver=$scsi_ver" \
  -blockdev "$(disk nvme)" \
  -device "nvme,drive=nvme,serial=$nvme_serial"
echo "guest: booted and scanned in $((SECONDS - start)) s"
log=$work/log
tr -d '\r' <"$work/console" >"$log"
if ! grep -qx '<<<done' "$log"; then
  cat "$log" >&2
  echo "guest: did not finish its runs" >&2
  exit 1
fi

# One run's exit status and stdout; each drive of a JSON answer as a line of the fields compared.
status() { sed -n "s/^<<<$1 exit //p" "$log"; }
output() { awk -v run="<<<$1 exit " 'index($0, run) == 1 { on = 1; next } /^<<<stderr$/ { on = 0 } on' "$log"; }
drives() {
  output "$1" | /usr/bin/python3 -c '
import json, sys
for row in json.load(sys.stdin)["drives"]:
    drive = row["drive"] or {"model": "", "serial": "", "firmware": ""}
    error = row["error"]["message"] if row["error"] else ""
    identity = "truncated" if row["truncation"] else "whole"
    print("|".join([row["device"], row["read_from"], identity, drive["model"], drive["serial"],
                    drive["firmware"] + error]))'
}
failures=0
fail() {
  echo "guest: $*" >&2
  failures=$((failures + 1))
}

# Each run lists the five disks, never the CD drive, each with the texts QEMU was told as far as
# its source keeps them; the sd names follow probe order, so drives are compared by identity.
expect() {
  local run=$1 told=$2 reported
  [ "$(status "$run")" = 0 ] || fail "$run: fwhost exited $(status "$run")"
  reported=$(drives "$run")
  if grep -q '^sr' <<<"$reported"; then fail "$run: the CD drive is listed as a drive"; fi
  if [ "$(sort <<<"$told")" != "$(cut -d'|' -f2- <<<"$reported" | sort)" ]; then
    fail "$run: the identities differ (told | reported):"
    diff -y -t -W 170 <(sort <<<"$told") <(cut -d'|' -f2- <<<"$reported" | sort) >&2 || true
  fi
}
trim() { sed 's/^ *//; s/ *$//' <<<"$1"; }
# libata's INQUIRY revision: characters 5-8 of the 8, or 1-4 when those are blank.
inquiry_revision() {
  local field
  field=$(printf '%-8s' "$1")
  if [ -n "$(trim "${field:4:4}")" ]; then trim "${field:4:4}"; else trim "${field:0:4}"; fi
}
qemu_version=$(qemu-system-x86_64 --version | awk 'NR == 1 { print $4 }')
others="nvme-sysfs|whole|QEMU NVMe Ctrl|$nvme_serial|$qemu_version
scsi-inquiry|truncated|$ata_product|$ata_serial|$ata_ver
scsi-inquiry|truncated|$scsi_product||$scsi_ver"
for run in root sgio; do
  source=ata-identify-vpd
  [ "$run" = root ] || source=ata-identify-sgio
  expect "$run" "$others
$source|whole|$sata1_model|$sata1_serial|$sata1_ver
$source|whole|$sata2_model|$(trim "$sata2_serial")|$sata2_ver"
done
expect user "$others
scsi-inquiry|truncated|${sata1_model:0:16}|$sata1_serial|$(inquiry_revision "$sata1_ver")
scsi-inquiry|truncated|${sata2_model:0:16}|$(trim "$sata2_serial")|$(inquiry_revision "$sata2_ver")"

# Root is the advice for a user, never for a drive that refused the pass-through.
if output root | grep -q 'run as root'; then fail "root: told to run as root"; fi
[ "$(output user | grep -c '"truncation": ".*; run as root for the full identity"')" = 3 ] ||
  fail "user: not told to run as root for each ATA drive"
# The plans of the two SATA drives the rules update, in folders named by their identity.
[ "$(status plan)" = 0 ] || fail "plan: fwhost exited $(status plan)"
for folder in "${sata1_model//[^A-Za-z0-9_-]/_}-$sata1_serial" \
  "${sata2_model//[^A-Za-z0-9_-]/_}-$(trim "$sata2_serial")"; do
  [ "$(status "verify $folder")" = 0 ] || fail "verify $folder: $(status "verify $folder")"
done
if [ "$failures" -gt 0 ]; then
  cat "$log" >&2
  exit 1
fi
echo "guest: every identity as QEMU was told it; $SECONDS s in all"
