// A program that crashes at once: the driver must report it, not wait for it.
#include <cstdio>

int main() {
  std::puts("about to crash");
  std::fflush(stdout);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}
