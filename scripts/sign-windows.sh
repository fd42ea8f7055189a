#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Signs Windows programs and installers in place (Authenticode, SHA-256) with the
# certificate the school or the project supplies, as a PKCS#12 file with its key:
#   SIGN_CERT=cert.pfx SIGN_PASSWORD=... scripts/sign-windows.sh FILE...
# SIGN_TIMESTAMP=URL also stamps the signature with a time-stamping service, so that it
# stays valid after the certificate expires.
set -euo pipefail
: "${SIGN_CERT:?SIGN_CERT names the certificate (.pfx)}"
scripts_dir=$(dirname "$0")
"$scripts_dir/install-deps.sh" --only osslsigncode >&2

# The password goes through a file of our own, not the command line other users can read.
password=$(mktemp)
trap 'rm -f "$password"' EXIT
printf '%s' "${SIGN_PASSWORD:-}" >"$password"
for file in "$@"; do
    osslsigncode sign -pkcs12 "$SIGN_CERT" -readpass "$password" -h sha256 \
        -n Moltiplix -i https://www.moltiplix.example/ \
        ${SIGN_TIMESTAMP:+-ts "$SIGN_TIMESTAMP"} -in "$file" -out "$file.signed" >/dev/null
    mv -f "$file.signed" "$file"
    echo "signed: $file"
done
