#!/bin/sh
# The dialog's window under Wine's X11 driver on a virtual screen: the cases
# of dialog_host.c, then screenshots of each kind's dialog at 96 and at 144
# DPI (Wine's LogPixels). The screenshots are for people (docs/dialog.md);
# no check looks at a pixel.
#   dialog_under_xvfb.sh WINE HOST EXAMPLES PREFIX SEED_PREFIX OUT
# PREFIX is this test's own Wine prefix, made from SEED_PREFIX (the other
# tests' prefix, with their "null" graphics driver) on first use; OUT gets
# the work folders and shots-96/ and shots-144/.
set -eu
wine="$1" host="$2" examples="$3" prefix="$4" seed="$5" out="$6"
export WINEPREFIX="$prefix"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver

if [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  cp -a "$seed" "$prefix"
fi
# A display of our own: Xvfb picks a free number and writes it to a pipe.
rm -rf "$out"
mkdir -p "$out"
fifo="$out/display"
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$fifo" >"$out/xvfb.log" 2>&1 &
xvfb=$!
read -r number <"$fifo"
export DISPLAY=":$number"
stop() {
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap stop EXIT

# The X11 driver, and Wine drawing the windows' frames itself: Xvfb has no
# window manager to draw captions. (Wine starts on the display set above: a
# Wine started without one keeps a desktop that cannot draw.)
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
"$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

windows_path() { echo "Z:$1" | sed 's|/|\\|g'; }

# The cases.
mkdir "$out/work"
"$wine" "$host" "$(windows_path "$examples")" "$(windows_path "$out/work")"

# Screenshots: the host writes NAME.ready with the dialog's place and waits
# for NAME.png.
shots() {
  dpi="$1"
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  mkdir -p "$out/shots-$dpi/work"
  "$wine" "$host" "$(windows_path "$examples")" "$(windows_path "$out/shots-$dpi/work")" \
    "$(windows_path "$out/shots-$dpi")" &
  shooter=$!
  for name in supplier_export price_export order_export waybill_export order_import; do
    waited=0
    while [ ! -s "$out/shots-$dpi/$name.ready" ]; do
      sleep 0.2
      waited=$((waited + 1))
      [ "$waited" -lt 300 ] || { echo "no $name dialog at $dpi DPI" >&2; exit 1; }
    done
    sleep 0.5  # the window paints
    import -window root -crop "$(cat "$out/shots-$dpi/$name.ready")" +repage \
      "$out/shots-$dpi/$name.tmp.png"
    mv "$out/shots-$dpi/$name.tmp.png" "$out/shots-$dpi/$name.png"
  done
  wait "$shooter"
}
shots 96
shots 144
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null
echo "screenshots in $out/shots-96 and $out/shots-144"
