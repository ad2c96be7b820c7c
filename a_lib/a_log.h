// The diagnostic log, "log.txt": the allocator and the picture loader write
// their errors there. It stands below everything else in the library, so
// that any part of it can log.
#pragma once

// Appends one line to "log.txt" in the current folder: the text formatted
// with printf rules, then a line break. The file is opened and closed for
// every line, so each line is on disk when the call returns. Lines end in
// CR LF (every "\n" of the text is written as CR LF too). A line longer than
// 1,023 bytes is cut there. Any failure (no such folder, read-only disc, full
// disk) is silent: the line is lost.
void WriteLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
