#!/bin/sh
# Fails when the program imports a DLL that is not part of Windows itself, which would have to
# be shipped beside it (a C++ runtime, winpthread, ...). Usage: check-imports.sh OBJDUMP EXE
objdump=$1
exe=$2
allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll"
dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "check-imports: no import table read from $exe" >&2; exit 1; }
status=0
for dll in $dlls; do
  case " $allowed " in
    *" $dll "*) echo "imports $dll" ;;
    *) echo "check-imports: $exe imports $dll, which is not a system DLL" >&2; status=1 ;;
  esac
done
exit $status
