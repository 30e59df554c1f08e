// POSIX side of box_capture.h: standard error goes to a scratch file meanwhile.
#include <unistd.h>

#include <cstdio>

#include "tests/golden/box_capture.h"

struct BoxCapture::State {
  std::FILE* file = nullptr;
  int savedStderr = -1;
  bool finished = false;
  std::string lines;
};

BoxCapture::BoxCapture() : state_(new State) {
  std::fflush(stderr);
  state_->file = std::tmpfile();
  if (state_->file == nullptr) return;
  state_->savedStderr = dup(STDERR_FILENO);
  dup2(fileno(state_->file), STDERR_FILENO);
}

std::string BoxCapture::Finish() {
  if (state_->finished || state_->file == nullptr) return state_->lines;
  state_->finished = true;
  std::fflush(stderr);
  dup2(state_->savedStderr, STDERR_FILENO);
  close(state_->savedStderr);
  std::rewind(state_->file);
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, state_->file)) > 0;) {
    state_->lines.append(buffer, n);
  }
  std::fclose(state_->file);
  return state_->lines;
}

BoxCapture::~BoxCapture() {
  Finish();
  delete state_;
}
