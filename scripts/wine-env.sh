# Sourced by the Wine helpers: which loader and which prefix serve a Windows
# program of a given bitness. A 64-bit program needs the 64-bit loader and a
# 64-bit prefix; a 32-bit program the 32-bit loader and a 32-bit prefix (this
# Wine has no 32-on-64 mode, and some machines cannot execute the 32-bit
# loader at all).
#
#   halyard_wine_arch_of FILE   prints win64 for a PE32+ x86-64 program,
#                               win32 for a PE32 i386 one, nothing otherwise
#   halyard_wine_use ARCH       exports WINEPREFIX, WINEARCH and
#                               HALYARD_WINE_LOADER for win32 or win64
#   halyard_wine_gdi_renderer ARCH
#                               makes the prefix draw DirectDraw through GDI
#   halyard_wine_test_prefix ARCH
#                               that, and windows without a window manager,
#                               for the tests

# The PE machine field: 2 bytes at the offset stored at 0x3c, plus 4 ("PE\0\0").
halyard_wine_arch_of() {
  local file=$1 pe machine
  [ -f "$file" ] || return 0
  [ "$(head -c 2 "$file" 2>/dev/null)" = "MZ" ] || return 0
  pe=$(od -An -t u4 -j 60 -N 4 "$file" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 0
  machine=$(od -An -t x2 -j $((pe + 4)) -N 2 "$file" 2>/dev/null | tr -d ' ')
  case "$machine" in
    8664) echo win64 ;;
    014c) echo win32 ;;
  esac
}

halyard_wine_use() {
  local base="${HALYARD_WINEPREFIX:-$HOME/.cache/halyard-wine}"
  case "$1" in
    win64)
      export WINEPREFIX="${base}64" WINEARCH=win64
      HALYARD_WINE_LOADER=/usr/lib/wine/wine64
      ;;
    *)
      export WINEPREFIX="$base" WINEARCH=win32
      HALYARD_WINE_LOADER=/usr/lib/wine/wine
      ;;
  esac
  # Debian's plain `wine` picks its loader itself; elsewhere use what is on PATH.
  [ -x "$HALYARD_WINE_LOADER" ] || HALYARD_WINE_LOADER=wine
  export HALYARD_WINE_LOADER
}

# Wine draws DirectDraw surfaces through OpenGL by default; on a virtual
# display (Mesa's software GL) every blit then succeeds and the screen stays
# black. Its GDI renderer shows the pictures on any display. Only the prefix
# changes: on Windows the program uses DirectDraw as it is.
halyard_wine_gdi_renderer() {
  (
    halyard_wine_use "$1"
    grep -qs '"renderer"="gdi"' "$WINEPREFIX/user.reg" && exit 0
    bash "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" --arch "$1" \
      reg add 'HKCU\Software\Wine\Direct3D' /v renderer /d gdi /f >/dev/null 2>&1 || true
  )
}

# The tests' virtual display runs no window manager. Wine's windows are
# "managed" by default, and hiding or destroying one then waits 2 s for the
# manager to confirm (it never does): a test that opens and closes three
# windows spent 6 s waiting. Unmanaged, they are placed and drawn as before.
# The demo keeps the default: it shows the program as a user's desktop would.
halyard_wine_test_prefix() {
  halyard_wine_gdi_renderer "$1"
  (
    halyard_wine_use "$1"
    grep -qs '"Managed"="N"' "$WINEPREFIX/user.reg" && exit 0
    bash "$(dirname "${BASH_SOURCE[0]}")/wine-run.sh" --arch "$1" \
      reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  )
}
