#include "box_script.h"

#include <cstdio>
#include <deque>

namespace plat {
namespace box_script {
namespace {

struct State {
  bool active = false;
  bool echo = false;
  std::deque<BoxResponder> answers;
  BoxResponder fallback;
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

void PushAnswer(int answer) {
  state().answers.push_back([answer](const BoxRecord&) { return answer; });
}

void PushResponder(BoxResponder responder) { state().answers.push_back(std::move(responder)); }

void SetDefaultResponder(BoxResponder responder) { state().fallback = std::move(responder); }

void Clear() {
  state().answers.clear();
  state().records.clear();
  state().fallback = nullptr;
}

const std::vector<BoxRecord>& Records() { return state().records; }

int Answer(Window owner, const char* text, const char* caption, unsigned type,
           unsigned codePage) {
  State& s = state();
  BoxRecord record{owner, text ? text : "", caption ? caption : "", type, codePage, kAnswerOk};
  if (s.echo) Echo(text, caption);
  BoxResponder responder;
  if (!s.answers.empty()) {
    responder = std::move(s.answers.front());
    s.answers.pop_front();
  } else {
    responder = s.fallback;
  }
  // The box is on the record before the responder runs: a responder may
  // itself cause further boxes.
  s.records.push_back(record);
  size_t index = s.records.size() - 1;
  int answer = responder ? responder(record) : kAnswerOk;
  s.records[index].answer = answer;
  return answer;
}

}  // namespace box_script
}  // namespace plat
