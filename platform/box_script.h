// Scripted message boxes: a stand-in for the user in front of the screen.
//
// While a script is active, plat::MessageBox records every box (owner, text,
// caption, button set) and answers it from a queue that a test fills; an
// empty queue answers OK. The host side of the seam is always scripted; on
// Windows a test activates the script so that no real box blocks the run.
// Portable code, compiled into both sides of the seam.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform.h"

namespace plat {

struct BoxRecord {
  Window owner;
  std::string text;
  std::string caption;
  unsigned type;
  unsigned codePage;  // of text and caption; 0 = the system's
  int answer;
};

// Answers one box; may act first (insert the next disc, say).
using BoxResponder = std::function<int(const BoxRecord&)>;

namespace box_script {

// Starts scripting. With `echo`, each box is also written to standard error
// as one line "[box] caption=<caption> text=<text>" (newlines in the text
// shown as "\n"), so that a box raised at process exit can be seen from
// outside.
void Activate(bool echo);
void Deactivate();
bool IsActive();

// Queues the answer for the next box that is not yet answered.
void PushAnswer(int answer);
// Queues a responder for the next box that is not yet answered.
void PushResponder(BoxResponder responder);
// Answers every box that finds the queue empty (by default: OK).
void SetDefaultResponder(BoxResponder responder);
// Forgets the recorded boxes, the queued answers and the default responder.
void Clear();
// The boxes seen since the last Clear, oldest first.
const std::vector<BoxRecord>& Records();

// Records a box and returns its answer. Called by plat::MessageBox.
int Answer(Window owner, const char* text, const char* caption, unsigned type,
           unsigned codePage);

}  // namespace box_script
}  // namespace plat
