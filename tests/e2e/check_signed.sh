#!/usr/bin/env bash
# The shipped programs signed as gamedisc build --sign signs them still
# carry their manifests and import only system DLLs:
#   check_signed.sh OBJDUMP OBJCOPY RESOURCES FOLDER SETUP.exe UNINSTALL.exe
# (OBJDUMP, OBJCOPY: the cross build's; RESOURCES: the folder of the
# manifests; FOLDER: where the signed copies go)
set -euo pipefail
objdump=$1 objcopy=$2 resources=$3 folder=$4 setup=$5 uninstall=$6
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$folder"
"$here/sign_copies.sh" "$folder" "$setup" "$uninstall"
"$here/check_manifest.sh" "$objcopy" "$folder/$(basename "$setup")" "$resources/setup.manifest"
"$here/check_manifest.sh" "$objcopy" "$folder/$(basename "$uninstall")" "$resources/uninstall.manifest"
"$here/../../scripts/check-imports.sh" "$objdump" "$folder/$(basename "$setup")" "$folder/$(basename "$uninstall")"
