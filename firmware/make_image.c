/* make_image: writes a stand-in firmware image of an exact size, used when no real images are
 * given to the build. The bytes depend only on the image's name, so every build and every host
 * makes the same file, and images of the same size still differ.
 *
 * Usage: make_image NAME SIZE OUTPUT */
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

static uint64_t fnv1a64(const char* text) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (; *text != '\0'; ++text) {
    hash ^= (unsigned char)*text;
    hash *= 0x100000001b3u;
  }
  return hash;
}

static uint64_t splitmix64(uint64_t* state) {
  uint64_t z = (*state += 0x9e3779b97f4a7c15u);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
  return z ^ (z >> 31);
}

/* Fills the chunk byte by byte, least significant first, so the file does not depend on the
 * byte order of the machine that runs the generator. */
static void fillChunk(unsigned char* chunk, size_t length, uint64_t* state) {
  uint64_t word = 0;
  for (size_t i = 0; i < length; ++i) {
    if (i % 8 == 0) word = splitmix64(state);
    chunk[i] = (unsigned char)(word & 0xffu);
    word >>= 8;
  }
}

static int writeImage(const char* name, unsigned long size, const char* path) {
  FILE* file = fopen(path, "wb");
  if (file == NULL) {
    perror(path);
    return 0;
  }
  unsigned char chunk[65536];
  uint64_t state = fnv1a64(name);
  int ok = 1;
  for (unsigned long left = size; left > 0 && ok;) {
    size_t length = left < sizeof chunk ? (size_t)left : sizeof chunk;
    fillChunk(chunk, length, &state);
    ok = fwrite(chunk, 1, length, file) == length;
    left -= length;
  }
  if (fclose(file) != 0) ok = 0;
  if (!ok) {
    perror(path);
    remove(path);
  }
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: %s NAME SIZE OUTPUT\n", argv[0]);
    return 2;
  }
  char* end = NULL;
  errno = 0;
  unsigned long size = strtoul(argv[2], &end, 10);
  if (errno != 0 || end == argv[2] || *end != '\0' || argv[2][0] == '-') {
    fprintf(stderr, "%s: not a byte count: %s\n", argv[0], argv[2]);
    return 2;
  }
  return writeImage(argv[1], size, argv[3]) ? 0 : 1;
}
