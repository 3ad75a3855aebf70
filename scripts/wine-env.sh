# Sourced by the scripts that run Kelvane under Wine. Keeps Wine inside the build
# folder: its own HOME, its own prefixes, no menu entries, no .NET or HTML engine
# downloads, no debug chatter.
WINE64=${WINE64:-/usr/lib/wine/wine64}
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# wine_home ROOT: HOME and the XDG folders of Wine runs under ROOT.
wine_home() {
  local root=$1
  mkdir -p "$root/home/.config" "$root/home/.local/share" "$root/home/.cache"
  export HOME="$root/home"
  export XDG_CONFIG_HOME="$root/home/.config" XDG_DATA_HOME="$root/home/.local/share"
  export XDG_CACHE_HOME="$root/home/.cache"
}

# ensure_pristine ROOT: makes ROOT/pristine once (wineboot -i), with its shell folders
# as real folders inside the prefix instead of links into HOME.
ensure_pristine() {
  local root=$1
  mkdir -p "$root"
  (
    flock 9
    if [ ! -f "$root/pristine/.ready" ]; then
      rm -rf "$root/pristine"
      wine_home "$root"
      WINEPREFIX="$root/pristine" "$WINE64" wineboot -i >/dev/null 2>&1 || true
      WINEPREFIX="$root/pristine" "$WINESERVER" -w || true
      local users="$root/pristine/drive_c/users"
      local link
      for link in $(find "$users" -maxdepth 3 -type l 2>/dev/null); do
        rm -f "$link" && mkdir -p "$link"
      done
      [ -f "$root/pristine/system.reg" ] || { echo "wineboot failed in $root/pristine" >&2; exit 1; }
      touch "$root/pristine/.ready"
    fi
  ) 9>"$root/.lock"
}

# fresh_prefix ROOT: prints the path of a new private copy of the pristine prefix
# (drive_c hard-linked, the registry hives copied).
fresh_prefix() {
  local root=$1 prefix
  prefix=$(mktemp -d "$root/run.XXXXXX")
  cp -al "$root/pristine/drive_c" "$prefix/drive_c"
  cp -a "$root/pristine/dosdevices" "$prefix/dosdevices"
  cp "$root/pristine/"*.reg "$prefix/"
  [ -f "$root/pristine/.update-timestamp" ] && cp "$root/pristine/.update-timestamp" "$prefix/"
  echo "$prefix"
}

# import_reg FILE: imports a .reg file into $WINEPREFIX with Wine's regedit.
import_reg() {
  cp "$1" "$WINEPREFIX/drive_c/seed-prefix.reg"
  "$WINE64" regedit /s 'C:\seed-prefix.reg'
  "$WINESERVER" -w
  rm -f "$WINEPREFIX/drive_c/seed-prefix.reg"
}

# set_wine_dpi DPI: Wine's DPI setting (winecfg's "Screen resolution") in $WINEPREFIX.
set_wine_dpi() {
  local hex reg
  hex=$(printf '%08x' "$1")
  reg=$(mktemp)
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%s\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts]\r\n"LogPixels"=dword:%s\r\n' \
    "$hex" "$hex" >"$reg"
  import_reg "$reg"
  rm -f "$reg"
}

# find_window TITLE: the X id of the window with that exact title, waiting for it up
# to 30 s; fails when there is none (for the screenshot scripts, needs x11-utils).
find_window() {
  local id=""
  for _ in $(seq 1 60); do
    id=$(xwininfo -root -tree 2>/dev/null | grep "\"$1\"" | awk '{print $1}' | head -1 || true)
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "window \"$1\" not found" >&2; return 1; }
  echo "$id"
}
