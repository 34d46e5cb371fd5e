#!/usr/bin/env bash
# The sync row of tools/bench: starts Radicale on 127.0.0.1 with an empty
# calendar (tests/e2e/caldav_phone.py), runs `bench.exe sync` against it
# under Wine, and stops the server.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
server="$(mktemp -d)"
trap '/usr/bin/python3 "$root/tests/e2e/caldav_phone.py" stop "$server"; rm -rf "$server"' EXIT
url="$(/usr/bin/python3 "$root/tests/e2e/caldav_phone.py" serve "$server")"
wine "$root/build/win/bench.exe" sync "$url"
