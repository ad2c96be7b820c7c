// What the copy engine tells the user while it copies, and asks of them,
// without knowing the window that shows it: the progress dialog implements
// it, a test may stand in for it.
#pragma once

#include <cstdint>

#include "platform.h"

class ProgressReport {
 public:
  // The window that owns the boxes the engine shows while it copies; null
  // for boxes without an owner.
  virtual plat::Window Owner() const = 0;
  // Shows `percent`, 0 to 100 (larger values count as 100).
  virtual void UpdateProgress(uint32_t percent) = 0;
  // Shows `text` in the status line.
  virtual void ShowStatus(const char* text) = 0;
  // Whether the run is to stop: the user confirmed a cancel, or gave up.
  virtual bool CancelRequested() const = 0;
  // Records that the user gave up (a declined disc).
  virtual void RequestCancel() = 0;

 protected:
  ~ProgressReport() = default;
};

// The percentage of `bytesDone` in `installSize`, truncated. Beyond the size
// it is above 100 (the caller caps it); an installSize of 0 gives 0 before
// the first byte and 100 after it, never a division by zero.
int32_t ComputePercent(uint32_t bytesDone, uint32_t installSize);
