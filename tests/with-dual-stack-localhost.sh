#!/bin/sh
# Runs a test with "localhost" resolving to ::1 and 127.0.0.1, as on a standard Debian install
# (many machines map it to 127.0.0.1 only), inside a private mount namespace so the machine's own
# /etc/hosts is left alone. Exits with 77 (ctest: skipped) where no such namespace can be made.
set -eu
if ! unshare --mount true 2>/dev/null; then
    echo "SKIP: cannot make a private mount namespace (needs root and unshare)"
    exit 77
fi
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >"$hosts"
unshare --mount sh -c 'mount --bind "$0" /etc/hosts && exec "$@"' "$hosts" "$@"
