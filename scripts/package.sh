#!/usr/bin/env bash
# Makes what a person downloads, from one built tarvina.exe:
#   <out>/tarvina-<version>-setup.exe     the per-user installer (NSIS)
#   <out>/tarvina-<version>-portable.zip  tarvina.exe, LEEME.txt and the licence notices
# Usage: scripts/package.sh <tarvina.exe> <version> <out folder>
set -euo pipefail
exe=$1 version=$2 out=$3
root="$(cd "$(dirname "$0")/.." && pwd)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out"
out="$(cd "$out" && pwd)"

cp "$exe" "$stage/tarvina.exe"
# Texts as Notepad reads them on any Windows: Windows-1252, CR LF.
windows_text() { sed "s/@VERSION@/$version/g; s/\$/\r/" "$1" | iconv -f UTF-8 -t CP1252 >"$2"; }
windows_text "$root/packaging/LEEME.txt" "$stage/LEEME.txt"
windows_text "$root/packaging/tarvina.ini" "$stage/tarvina.ini"
windows_text "$root/resources/THIRD-PARTY-NOTICES.txt" "$stage/THIRD-PARTY-NOTICES.txt"

setup="$out/tarvina-$version-setup.exe"
zip="$out/tarvina-$version-portable.zip"
rm -f "$setup" "$zip"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
  -DICON="$root/resources/icons/program.ico" -DOUTFILE="$setup" "$root/packaging/tarvina.nsi"
(cd "$stage" && zip -q -X "$zip" tarvina.exe LEEME.txt THIRD-PARTY-NOTICES.txt)
