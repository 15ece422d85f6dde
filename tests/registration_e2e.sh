#!/usr/bin/env bash
# Registration and unregistration of Brisko.dll through Wine's regsvr32, in
# both forms, and the stand-in IDE creating the add-in by its ProgID and
# connecting and disconnecting it, as the IDE's add-in manager does.
set -euo pipefail
build="$1"
run="$build/wine-run.sh"
dll="$build/Brisko.dll"
addin='HKCU\Software\Microsoft\Visual Basic\6.0\Addins\Brisko.Loader'
clsid='{6C1F3A52-9B7E-4D21-A8C4-3E5B2F0D7A91}'

fail() { echo "FAIL: $*" >&2; exit 1; }
has() { "$run" reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }
value() { "$run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }

"$run" regsvr32 /s /u /n /i:user "$dll" >/dev/null 2>&1 || true
"$run" regsvr32 /s /u "$dll" >/dev/null 2>&1 || true

# Machine-wide form.
"$run" regsvr32 /s "$dll" || fail "regsvr32 failed"
[ "$(value 'HKCR\Brisko.Loader\CLSID' '(Default)')" = "$clsid" ] || has 'HKCR\Brisko.Loader\CLSID' || fail "ProgID not registered"
[ "$(value "HKCR\\CLSID\\$clsid\\InprocServer32" ThreadingModel)" = Apartment ] || fail "threading model"
[ "$(value "$addin" FriendlyName)" = Brisko ] || fail "add-in entry FriendlyName"
[ "$(value "$addin" LoadBehavior)" = 0x1 ] || fail "add-in entry LoadBehavior"
[ "$(value "$addin" CommandLineSafe)" = 0x0 ] || fail "add-in entry CommandLineSafe"
has "$addin" Description || fail "add-in entry Description"

# The IDE's path: CLSIDFromProgID and CoCreateInstance, then the connection events.
"$run" "$build/idehost.exe" --sample --addin Brisko.Loader --mode 0 --exit-after 500 || fail "idehost could not connect Brisko.Loader"

# A setting of the user's stays when the add-in is unregistered.
"$run" reg add "$addin" /v Align /t REG_DWORD /d 1 /f >/dev/null
"$run" regsvr32 /s /u "$dll" || fail "unregistration failed"
has 'HKCR\Brisko.Loader' && fail "ProgID left behind"
has "HKCR\\CLSID\\$clsid" && fail "class left behind"
has "$addin" FriendlyName && fail "add-in entry left behind"
[ "$(value "$addin" Align)" = 0x1 ] || fail "the user's setting was removed"
"$run" reg delete "$addin" /f >/dev/null

# Per-user form, without administrator rights.
"$run" regsvr32 /s /n /i:user "$dll" || fail "per-user registration failed"
[ "$(value 'HKCU\Software\Classes\Brisko.Loader\CLSID' '(Default)')" = "$clsid" ] || has 'HKCU\Software\Classes\Brisko.Loader\CLSID' || fail "per-user ProgID"
has "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32" || fail "per-user class"
[ "$(value "$addin" FriendlyName)" = Brisko ] || fail "per-user add-in entry"
"$run" regsvr32 /s /u /n /i:user "$dll" || fail "per-user unregistration failed"
has 'HKCU\Software\Classes\Brisko.Loader' && fail "per-user ProgID left behind"
has "$addin" && fail "empty add-in key left behind"

# Leave the add-in registered for the scenarios that create it by ProgID.
"$run" regsvr32 /s "$dll" || fail "re-registration failed"
echo "registration: 1 passed, 0 failed"
