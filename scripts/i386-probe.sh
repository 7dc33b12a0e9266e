# Sourced by scripts/setup.sh and scripts/check.sh: can this machine run the
# 32-bit Windows build at all, and if not, why.
#
#   halyard_kernel_runs_i386   succeeds when the kernel executes a 32-bit x86
#                              program (some kernels are built without that
#                              and answer "Exec format error" to every one,
#                              Wine's 32-bit loader included)
#   halyard_win32_blocker      prints why 32-bit Windows programs cannot run
#                              here, or nothing when they can

# A whole 32-bit x86 Linux program of 96 bytes: one ELF header, one segment,
# and the instructions of exit(42). It needs no library, so it tells the
# kernel's answer apart from anything a package could change.
halyard_kernel_runs_i386() {
  local probe status=0
  probe=$(mktemp "${TMPDIR:-/tmp}/halyard-i386.XXXXXX") || return 1
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

halyard_win32_blocker() {
  if ! halyard_kernel_runs_i386; then
    echo "this machine's kernel does not execute 32-bit x86 programs (Exec format error), so Wine's 32-bit half cannot start here"
  elif ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "the kernel runs 32-bit programs, but Wine's 32-bit half (wine32:i386) is not installed: the package archive could not supply it when scripts/setup.sh ran"
  fi
}
