#!/bin/sh
# Makes this machine run 32-bit Windows programs, for the tests of the 32-bit
# pharmex.dll: Debian's 32-bit Wine (wine32:i386 beside wine and wine64) on
# qemu's user-mode emulator. The kernel here runs no 32-bit code itself, so
# 32-bit ELF programs (Wine's 32-bit loader, and every process it starts) go
# to qemu-i386 through binfmt_misc; the 64-bit wineserver runs natively.
#
# Debian 12's own qemu (7.2) is not usable: it ignores MAP_FIXED_NOREPLACE, so
# every Wine start costs tens of thousands of mmap/munmap pairs and wineboot
# does not finish. The qemu-user of the backports suite (qemu 10) works; it is
# taken from the Debian archive this machine's apt sources already name.
#
# Idempotent; needs root (or sudo) and Debian's registry. Exits non-zero, and
# says what is missing, when 32-bit programs still cannot run afterwards.
# Usage: scripts/install-wine32.sh
set -eu
cd "$(dirname "$0")/.."

fail() {
  echo "install-wine32: $*" >&2
  echo "install-wine32: 32-bit Windows programs cannot run on this machine" >&2
  exit 1
}
as_root=""
[ "$(id -u)" -ne 0 ] && as_root="sudo"

codename="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
[ -n "$codename" ] || fail "cannot tell the Debian release from /etc/os-release"
backports="$codename-backports"
sources_file=/etc/apt/sources.list.d/pharmex-$backports.list
updated=""

apt_update() {
  [ -n "$updated" ] && return 0
  $as_root apt-get update -q
  updated=yes
}

# The i386 architecture, for wine32:i386.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $as_root dpkg --add-architecture i386
  need_update=yes
fi

# The backports suite, from the URI this machine's sources give the release
# itself (whatever mirror or proxy that is), unless some source has it already.
if ! apt-get indextargets --format '$(RELEASE)' 2>/dev/null | grep -qx "$backports"; then
  uri="$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' 2>/dev/null |
    awk -v release="$codename" '$1 == release { print $2; exit }')"
  [ -n "$uri" ] || fail "no apt source names the Debian release $codename"
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  options=""
  [ -f "$keyring" ] && options="[signed-by=$keyring] "
  echo "deb ${options}$uri $backports main" | $as_root tee "$sources_file" >/dev/null
  need_update=yes
fi
[ -n "${need_update:-}" ] && apt_update

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=""
for package in wine wine64 wine32:i386; do
  installed "$package" || missing="$missing $package"
done
if [ -n "$missing" ]; then
  apt_update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends $missing
fi
qemu_version="$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)"
if ! installed qemu-user || dpkg --compare-versions "$qemu_version" lt 1:10; then
  apt_update
  DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends \
    -t "$backports" qemu-user
fi
qemu_version="$(dpkg-query -W -f='${Version}' qemu-user)"
dpkg --compare-versions "$qemu_version" ge 1:10 ||
  fail "qemu-user $qemu_version is too old (10 or later is needed, from $backports)"

# The handler for 32-bit ELF programs. qemu-user ships the line: the ELF
# magic and mask of i386 programs, the interpreter ending in "-binfmt-P" (so
# that qemu takes the program's own argv[0] from binfmt_misc) and the flags
# O, P and F (F: the kernel opens the interpreter now, so it works in any
# mount namespace). Registered again each time: a handler registered before
# an upgrade of qemu would keep running the old binary.
handler_line=/usr/share/qemu/binfmt.d/qemu-i386.conf
[ -f "$handler_line" ] || fail "$handler_line is missing (Debian package qemu-user)"
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
  $as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    fail "binfmt_misc is not mounted on $binfmt and cannot be mounted (needs root and a kernel with binfmt_misc)"
fi
[ -w "$binfmt/register" ] || [ -n "$as_root" ] ||
  fail "$binfmt/register is not writable (is /proc/sys read-only here?)"
if [ -e "$binfmt/qemu-i386" ]; then
  echo -1 | $as_root tee "$binfmt/qemu-i386" >/dev/null ||
    fail "cannot remove the old handler $binfmt/qemu-i386"
fi
$as_root tee "$binfmt/register" <"$handler_line" >/dev/null ||
  fail "cannot register the i386 handler in $binfmt/register"
[ "$(cat "$binfmt/status")" = enabled ] || fail "binfmt_misc is disabled ($binfmt/status)"

# Wine's 32-bit loader is itself a 32-bit program: if it starts, Wine can run
# 32-bit Windows programs.
loader=/usr/lib/wine/wine
version="$("$loader" --version 2>&1)" || fail "$loader does not start: $version"
echo "install-wine32: 32-bit Windows programs run ($version, qemu-user $qemu_version)"
