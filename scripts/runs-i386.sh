#!/usr/bin/env bash
# Exits 0 when this machine executes 32-bit x86 (i386) Linux programs, else 1.
# Some kernels of the build machines refuse them ("Exec format error"); the
# only sure test is to run one. The program below is written byte by byte, so
# the check needs no package: an ELF header, one loadable segment and the code
#   mov ebx, 42 / mov eax, 1 (exit) / int 0x80
set -u
dir=$(mktemp -d "${TMPDIR:-/tmp}/tavro-i386.XXXXXX") || exit 1
trap 'rm -rf "$dir"' EXIT
printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0'                     >"$dir/exit42"  # 32-bit, little endian
printf '\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0'    >>"$dir/exit42" # executable, i386, entry 0x08048054
printf '\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0'                 >>"$dir/exit42" # one program header
printf '\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010'            >>"$dir/exit42" # load the file at 0x08048000
printf '\140\0\0\0\140\0\0\0\5\0\0\0\0\020\0\0'              >>"$dir/exit42" # 96 bytes, read + execute
printf '\273\052\0\0\0\270\1\0\0\0\315\200'                  >>"$dir/exit42"
chmod +x "$dir/exit42"
# In a subshell, so that a crash report goes to /dev/null as well.
( "$dir/exit42" ) 2>/dev/null
[ $? -eq 42 ]
