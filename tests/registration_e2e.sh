#!/usr/bin/env bash
# Registration and unregistration of Brisko.dll through Wine's regsvr32, in
# both forms, and the stand-in IDE creating the add-in by its ProgID and
# connecting and disconnecting it, as the IDE's add-in manager does. The
# SpinEditBox control's class and type library are registered and removed
# with the add-in.
set -euo pipefail
build="$1"
run="$build/wine-run.sh"
dll="$build/Brisko.dll"
addin='HKCU\Software\Microsoft\Visual Basic\6.0\Addins\Brisko.Loader'
# The VBA editor's list of the DLL's bitness (this build is x86-64).
vba='HKCU\Software\Microsoft\VBA\VBE\6.0\Addins64\Brisko.Loader'
clsid='{6C1F3A52-9B7E-4D21-A8C4-3E5B2F0D7A91}'
control='{C65A585A-0F7A-4981-992E-7F1788E1D6CB}'
libid='{04930045-2548-40C8-8730-F0D3045390E3}'

fail() { echo "FAIL: $*" >&2; exit 1; }
has() { "$run" reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
value() { "$run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
# A key with everything under it, as reg prints it (roots spelled out).
dump() { { "$run" reg query "$1" /s 2>/dev/null || true; } | tr -d '\r'; }
# Value $3 of key $2 in dump $1; an empty name is the key's default value,
# whatever name reg gives it in this locale. (Key paths reach awk through the
# environment, which leaves their backslashes alone.)
in_dump() {
  key="$2" name="$3" awk '
    BEGIN { key = ENVIRON["key"]; name = ENVIRON["name"] }
    /^HKEY_/ { here = tolower($0) == tolower(key); next }
    here && NF >= 3 {
      for (i = 2; i < NF && $i !~ /^REG_/; i++) {}
      if ((name == "" && $1 ~ /^\(/) || $1 == name) {
        out = $(i + 1); for (j = i + 2; j <= NF; j++) out = out " " $j; print out; exit
      }
    }' <<<"$1"
}
has_key() { key="$2" awk 'tolower($0) == tolower(ENVIRON["key"]) { found = 1 } END { exit !found }' <<<"$1"; }

# The control's class under a classes root ($1, spelled out), and its type
# library under one of the roots where it may be registered ($2...):
# RegisterTypeLibForUser writes the user's classes on Windows and the
# machine's under Wine.
control_registered() {
  local root="$1" key="$1\\CLSID\\$control" d lib
  shift
  d="$(dump "$root\\Brisko.SpinEditBox")"
  [ "$(in_dump "$d" "$root\\Brisko.SpinEditBox\\CLSID" '')" = "$control" ] || fail "$root: control ProgID"
  d="$(dump "$key")"
  [ "$(in_dump "$d" "$key\\ProgID" '')" = Brisko.SpinEditBox ] || fail "$root: control class ProgID"
  [ "$(in_dump "$d" "$key\\InprocServer32" ThreadingModel)" = Apartment ] || fail "$root: control threading model"
  case "$(in_dump "$d" "$key\\InprocServer32" '')" in *\\Brisko.dll) ;; *) fail "$root: control server path" ;; esac
  has_key "$d" "$key\\Control" || fail "$root: Control key"
  case "$(in_dump "$d" "$key\\ToolboxBitmap32" '')" in *\\Brisko.dll,\ 201) ;; *) fail "$root: ToolboxBitmap32" ;; esac
  [ "$(in_dump "$d" "$key\\MiscStatus" '')" = 0 ] || fail "$root: MiscStatus"
  [ "$(in_dump "$d" "$key\\MiscStatus\\1" '')" = 131473 ] || fail "$root: MiscStatus\\1"
  [ "$(in_dump "$d" "$key\\TypeLib" '')" = "$libid" ] || fail "$root: control TypeLib"
  [ "$(in_dump "$d" "$key\\Version" '')" = 1.0 ] || fail "$root: control Version"
  for lib in "$@"; do
    d="$(dump "$lib\\TypeLib\\$libid")"
    case "$(in_dump "$d" "$lib\\TypeLib\\$libid\\1.0\\0\\win64" '')" in *\\Brisko.dll) return 0 ;; esac
  done
  fail "$root: type library not registered"
}
control_removed() {
  local root="$1" lib
  shift
  has "$root\\CLSID\\$control" && fail "$root: control class left behind"
  has "$root\\Brisko.SpinEditBox" && fail "$root: control ProgID left behind"
  for lib in "$@"; do has "$lib\\TypeLib\\$libid" && fail "$lib: type library left behind"; done
  return 0
}

# One display for the whole scenario: each Wine start would bring its own.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

"$run" regsvr32 /s /u /n /i:user "$dll" >/dev/null 2>&1 || true
"$run" regsvr32 /s /u "$dll" >/dev/null 2>&1 || true
# Settings left by earlier runs in this prefix go too.
"$run" reg delete "$addin" /f >/dev/null 2>&1 || true
"$run" reg delete "$vba" /f >/dev/null 2>&1 || true

# Machine-wide form.
"$run" regsvr32 /s "$dll" || fail "regsvr32 failed"
[ "$(value 'HKCR\Brisko.Loader\CLSID' '(Default)')" = "$clsid" ] || has 'HKCR\Brisko.Loader\CLSID' || fail "ProgID not registered"
[ "$(value "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel)" = Apartment ] || fail "threading model"
[ "$(value "$addin" FriendlyName)" = Brisko ] || fail "add-in entry FriendlyName"
[ "$(value "$addin" LoadBehavior)" = 0x1 ] || fail "add-in entry LoadBehavior"
[ "$(value "$addin" CommandLineSafe)" = 0x0 ] || fail "add-in entry CommandLineSafe"
has "$addin" Description || fail "add-in entry Description"
[ "$(value "$vba" FriendlyName)" = Brisko ] || fail "VBA editor entry FriendlyName"
[ "$(value "$vba" LoadBehavior)" = 0x3 ] || fail "VBA editor entry LoadBehavior"
[ "$(value "$vba" Description)" = "$(value "$addin" Description)" ] || fail "VBA editor entry Description"
has "$vba" CommandLineSafe && fail "VBA editor entry has the VB6 IDE's CommandLineSafe"
control_registered HKEY_CLASSES_ROOT HKEY_CLASSES_ROOT

# The IDE's path: CLSIDFromProgID and CoCreateInstance, then the connection
# events; each IDE's settings go to its own entry.
"$run" "$build/VB6.exe" --sample --addin Brisko.Loader --mode 0 --exit-after 500 || fail "the stand-in VB6 IDE could not connect Brisko.Loader"
has "$addin" Align || fail "the VB6 IDE's settings were not written to its entry"
has "$vba" Align && fail "the VB6 IDE's settings went to the VBA editor's entry"
"$run" "$build/EXCEL.exe" --sample --addin Brisko.Loader --mode 1 --exit-after 500 || fail "the stand-in VBA editor could not connect Brisko.Loader"
has "$vba" Align || fail "the VBA editor's settings were not written to its entry"

# A setting of the user's stays when the add-in is unregistered.
"$run" reg add "$addin" /v Align /t REG_DWORD /d 1 /f >/dev/null
"$run" regsvr32 /s /u "$dll" || fail "unregistration failed"
has 'HKCR\Brisko.Loader' && fail "ProgID left behind"
has "HKCR\\CLSID\\$clsid" && fail "class left behind"
has "$addin" FriendlyName && fail "add-in entry left behind"
[ "$(value "$addin" Align)" = 0x1 ] || fail "the user's setting was removed"
has "$vba" FriendlyName && fail "VBA editor entry left behind"
has "$vba" Align || fail "the user's VBA editor settings were removed"
control_removed HKEY_CLASSES_ROOT HKEY_CLASSES_ROOT
"$run" reg delete "$addin" /f >/dev/null
"$run" reg delete "$vba" /f >/dev/null

# Per-user form, without administrator rights.
"$run" regsvr32 /s /n /i:user "$dll" || fail "per-user registration failed"
[ "$(value 'HKCU\Software\Classes\Brisko.Loader\CLSID' '(Default)')" = "$clsid" ] || has 'HKCU\Software\Classes\Brisko.Loader\CLSID' || fail "per-user ProgID"
has "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" || fail "per-user class"
[ "$(value "$addin" FriendlyName)" = Brisko ] || fail "per-user add-in entry"
[ "$(value "$vba" LoadBehavior)" = 0x3 ] || fail "per-user VBA editor entry"
control_registered 'HKEY_CURRENT_USER\Software\Classes' 'HKEY_CURRENT_USER\Software\Classes' HKEY_CLASSES_ROOT
"$run" regsvr32 /s /u /n /i:user "$dll" || fail "per-user unregistration failed"
has 'HKCU\Software\Classes\Brisko.Loader' && fail "per-user ProgID left behind"
control_removed 'HKEY_CURRENT_USER\Software\Classes' 'HKEY_CURRENT_USER\Software\Classes' HKEY_CLASSES_ROOT
has "$addin" && fail "empty add-in key left behind"
has "$vba" && fail "empty VBA editor key left behind"

# Leave the add-in registered for the scenarios that create it by ProgID.
"$run" regsvr32 /s "$dll" || fail "re-registration failed"
echo "registration: 1 passed, 0 failed"
