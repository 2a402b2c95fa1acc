#!/usr/bin/env bash
# Checks a built module: it exports exactly VSTPluginMain and main (one
# address), and a Windows module imports system DLLs only.
#   bash tools/ci/check-exports.sh build/linux
set -u -o pipefail
dir=$1

if [ -f "$dir/Quorl.so" ]; then
  symbols=$(nm -D --defined-only "$dir/Quorl.so" | awk '{print $3}' | sort | tr '\n' ' ')
  addresses=$(nm -D --defined-only "$dir/Quorl.so" | awk '{print $1}' | sort -u | wc -l)
  if [ "$symbols" != "VSTPluginMain main " ] || [ "$addresses" -ne 1 ]; then
    echo "Quorl.so exports: $symbols (expected VSTPluginMain and main at one address)"
    exit 1
  fi
  exit 0
fi

if [ -f "$dir/Quorl.dll" ]; then
  dump=$(objdump -p "$dir/Quorl.dll") || exit 1
  exports=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            awk '/^[[:space:]]*\[ *[0-9]+\]/{print $NF}' | sort | tr '\n' ' ')
  rvas=$(printf '%s\n' "$dump" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' |
         awk '{for (i = 2; i <= NF; i++) if ($i == "Export") print $(i - 1)}' | sort -u | wc -l)
  if [ "$exports" != "VSTPluginMain main " ] || [ "$rvas" -ne 1 ]; then
    echo "Quorl.dll exports: $exports (expected VSTPluginMain and main at one address)"
    exit 1
  fi
  # System DLLs only: no C++ runtime or pthread DLL may be needed beside the module.
  foreign=$(printf '%s\n' "$dump" | awk '/DLL Name:/{print $3}' |
            grep -viE '^(kernel32|msvcrt|user32|gdi32|ole32|oleaut32|advapi32|shell32|comdlg32|msimg32|ws2_32|api-ms-win-.*)\.dll$' || true)
  if [ -n "$foreign" ]; then
    echo "Quorl.dll imports non-system DLLs: $foreign"
    exit 1
  fi
  exit 0
fi

echo "no Quorl module in $dir"
exit 1
