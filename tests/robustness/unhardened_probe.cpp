// Built without any hardening, to show that check_hardening.sh refuses such a binary.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  char name[64];
  std::snprintf(name, sizeof name, "%s", argv[0]);
  std::printf("%zu\n", std::strlen(name) + static_cast<std::size_t>(argc));
  return 0;
}
