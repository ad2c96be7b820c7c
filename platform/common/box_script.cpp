#include "box_script.h"

#include <cstdio>
#include <deque>

namespace plat {
namespace box_script {
namespace {

struct State {
  bool active = false;
  bool echo = false;
  std::deque<int> answers;
  std::vector<BoxRecord> records;
};

// Never destroyed: boxes are raised from at-exit checks, after static
// destructors may already have run.
State& state() {
  static State* s = new State;
  return *s;
}

void Echo(const char* text, const char* caption) {
  std::string line = "[box] caption=";
  line += caption ? caption : "";
  line += " text=";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '\n') {
      line += "\\n";
    } else {
      line += *p;
    }
  }
  line += '\n';
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace

void Activate(bool echo) {
  state().active = true;
  state().echo = echo;
}

void Deactivate() { state().active = false; }

bool IsActive() { return state().active; }

void PushAnswer(int answer) { state().answers.push_back(answer); }

void Clear() {
  state().answers.clear();
  state().records.clear();
}

const std::vector<BoxRecord>& Records() { return state().records; }

int Answer(Window owner, const char* text, const char* caption, unsigned type) {
  State& s = state();
  int answer = kAnswerOk;
  if (!s.answers.empty()) {
    answer = s.answers.front();
    s.answers.pop_front();
  }
  s.records.push_back(BoxRecord{owner, text ? text : "", caption ? caption : "", type, answer});
  if (s.echo) Echo(text, caption);
  return answer;
}

}  // namespace box_script
}  // namespace plat
