// The native yardstick for Scrubwright's fill: map N MiB, write a zero into every byte (first
// touch, so every page is supplied), unmap. Prints the seconds taken.
#include <sys/mman.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 512;
  const std::size_t bytes = mib << 20;
  const auto start = std::chrono::steady_clock::now();
  void* region = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (region == MAP_FAILED) return 1;
  std::memset(region, 0, bytes);
  munmap(region, bytes);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::printf("%.4f\n", took.count());
  return 0;
}
