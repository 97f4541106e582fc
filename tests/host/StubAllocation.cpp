// The stub plug-in's endless allocation, made with new so that its failure takes the road a
// C++ plug-in's takes.
#include <memory>
#include <vector>

extern "C" void stubAllocateWithoutEnd() {
  std::vector<std::unique_ptr<char[]>> blocks;
  for (;;) blocks.emplace_back(new char[64 << 20]);
}
