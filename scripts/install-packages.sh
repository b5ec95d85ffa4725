#!/bin/sh
# Installs the Debian packages given as arguments unless they are already
# installed, so the set-up commands can run again and again (and offline once
# everything is there).
set -eu
missing=""
for package in "$@"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $package"
  fi
done
[ -z "$missing" ] && exit 0
as_root=""
[ "$(id -u)" -ne 0 ] && as_root="sudo"
echo "installing:$missing"
$as_root apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q --no-install-recommends $missing
