#!/usr/bin/env bash
# Signs copies of Windows programs as gamedisc build --sign signs them, with
# a self-signed code-signing certificate made for the test, and checks each
# copy with osslsigncode verify against that certificate:
#   sign_copies.sh FOLDER PROGRAM.exe...
# FOLDER gets the certificate (cert.pem, cert.pfx and its password) and the
# signed copies under the programs' names.
set -euo pipefail
export LC_ALL=C
folder=$1
shift
for tool in openssl osslsigncode; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/install-deps.sh)"; exit 1; }
done
mkdir -p "$folder"
if [ ! -e "$folder/cert.pfx" ]; then
  printf 'test password\n' >"$folder/password"
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$folder/key.pem" -out "$folder/cert.pem" -days 3650 \
    -subj '/CN=disc setup test publisher' -addext extendedKeyUsage=codeSigning >"$folder/openssl.log" 2>&1 &&
    openssl pkcs12 -export -inkey "$folder/key.pem" -in "$folder/cert.pem" -out "$folder/cert.pfx" \
      -passout "file:$folder/password" >>"$folder/openssl.log" 2>&1 ||
    { cat "$folder/openssl.log"; exit 1; }
fi
for program in "$@"; do
  name=$(basename "$program")
  case ${name,,} in
    setup.exe) description="Game setup" ;;
    uninstall.exe) description="Game uninstaller" ;;
    *) description=$name ;;
  esac
  rm -f "$folder/$name"
  # The password through standard input, as gamedisc hands it over.
  if ! osslsigncode sign -pkcs12 "$folder/cert.pfx" -readpass - -h sha256 -n "$description" \
    -in "$program" -out "$folder/$name" <"$folder/password" >"$folder/$name.log" 2>&1; then
    echo "$name: osslsigncode could not sign it:"
    cat "$folder/$name.log"
    exit 1
  fi
  if ! osslsigncode verify -CAfile "$folder/cert.pem" -in "$folder/$name" >"$folder/$name.verify" 2>&1; then
    echo "$name: the signed copy does not verify:"
    cat "$folder/$name.verify"
    exit 1
  fi
  echo "$name: signed as \"$description\" and verified ($(stat -c %s "$program") -> $(stat -c %s "$folder/$name") bytes)"
done
