// Packing a folder into a ".apkg" package and unpacking one again.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "package.h"

namespace gamedisc {

// The package of the files in `folder`, in name order. A subfolder becomes
// an entry "NAME.apkg" holding its own package, which the installer's file
// access opens in turn. False with `error` set when a name does not fit an
// entry (31 bytes of plain ASCII) or two names differ only in case (the
// reader upper-cases them and would only ever find the first).
bool PackFolder(const std::string& folder, std::string* package, std::string* error);

// The entries of the package `bytes`, checked as untrusted input: the
// directory and every entry's data must lie inside the file. Entries keep
// their data plain.
bool ReadPackage(const std::string& bytes, std::vector<disc::PackageEntry>* entries, std::string* error);

// Writes every entry of the package file `package` into `folder` (made when
// missing); refuses names that are no plain file names and files that exist
// already. A later entry whose name repeats an earlier one is left out, as
// the installer never reads it; `say` is told each file and each entry left
// out.
bool UnpackPackage(const std::string& package, const std::string& folder,
                   const std::function<void(const std::string&)>& say, std::string* error);

}  // namespace gamedisc
