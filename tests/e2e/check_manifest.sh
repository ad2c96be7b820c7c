#!/usr/bin/env bash
# Fails unless a Windows program carries the manifest file in its resources,
# byte for byte: check_manifest.sh OBJCOPY PROGRAM.exe MANIFEST (OBJCOPY:
# the cross build's)
set -euo pipefail
export LC_ALL=C
objcopy=$1 exe=$2 manifest=$3
resources=$(mktemp)
trap 'rm -f "$resources"' EXIT
"$objcopy" -O binary --only-section=.rsrc "$exe" "$resources"
# The manifest is stored as it is, in one piece: with the zero bytes of the
# section's tables taken out it is a plain substring.
section=$(tr -d '\0' <"$resources")
wanted=$(tr -d '\0' <"$manifest")
if [ -n "$wanted" ] && [[ $section == *"$wanted"* ]]; then
  echo "$(basename "$exe"): the manifest is embedded ($(wc -c <"$manifest") bytes)"
else
  echo "$(basename "$exe"): the manifest $(basename "$manifest") is not embedded"
  exit 1
fi
