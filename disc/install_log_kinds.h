// The install log: "install.log" in the target folder, written by setup as
// it installs and read by the uninstaller, which removes what it names.
//
// Format, version 1. A text file of lines, each ending in CR LF; names are
// bytes in the system's ANSI code page, as the program handed them to the
// system. The first line is
//
//   install log<TAB>1
//
// and every other line is one entry, KIND<TAB>VALUE:
//
//   game      the game's name
//   key       the uninstall key's name (the one uninstall.dat holds)
//   base      a folder on the way to the target folder, or the target folder
//             itself, that setup made: its whole path
//   folder    a folder setup made inside the target folder, below it:
//             "\Save" (the form of a stored path)
//   file      a file setup wrote inside the target folder: "\maps\one.map"
//   menu      a folder setup made in the Programs menu: its whole path
//   link      a shortcut or web link setup saved: its whole path
//   registry  a key setup wrote below HKEY_LOCAL_MACHINE
//
// An entry is written, and pushed to the disk, before what it names is made,
// so a cancelled, failed or killed install leaves a log that names all it
// may have made. An install into a folder that has a log adds its entries to
// it. Readers pass over entries of kinds they do not know.
#pragma once

namespace disc {

// The log's first line: its name, a TAB and the format's version.
constexpr char kInstallLogTitle[] = "install log";
constexpr char kInstallLogVersion[] = "1";

// The kinds of entry, as they stand before the TAB.
constexpr char kLogGame[] = "game";
constexpr char kLogKey[] = "key";
constexpr char kLogBase[] = "base";
constexpr char kLogFolder[] = "folder";
constexpr char kLogFile[] = "file";
constexpr char kLogMenu[] = "menu";
constexpr char kLogLink[] = "link";
constexpr char kLogRegistry[] = "registry";

}  // namespace disc
