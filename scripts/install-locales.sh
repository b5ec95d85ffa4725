#!/bin/sh
# Compiles the locales given as arguments (e.g. ru_RU.UTF-8) unless they are
# already there, so the tests that read regional settings from a real locale
# run instead of being skipped. Needs the `locales` package's sources; a
# locale that cannot be compiled here is reported and its tests skip.
set -eu
for name in "$@"; do
  if locale -a 2>/dev/null | grep -qix "$(echo "$name" | sed 's/UTF-8/utf8/')"; then
    continue
  fi
  as_root=""
  [ "$(id -u)" -ne 0 ] && as_root="sudo"
  echo "compiling locale $name"
  $as_root localedef -i "${name%%.*}" -f "${name#*.}" "$name" ||
    echo "could not compile locale $name: the tests that need it are skipped" >&2
done
