// The tool's manual (docs/gamedisc.md), built into the program.
#pragma once

namespace gamedisc {

extern const char kManual[];

}  // namespace gamedisc
