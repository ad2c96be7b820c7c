// The sizes of the path buffers that setup, its install log and the
// support library's picture loader share.
#pragma once

// A path of the system's 260 characters, its terminator included.
constexpr int kPathSize = 260;
// A browsed folder of up to 259 characters, a backslash and gameName.
constexpr int kTargetFolderSize = 320;
