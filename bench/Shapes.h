// Drive descriptions that grow along one dimension at a time, for the benchmarks that show how
// the mapping's cost grows and for the fuzz target that maps them.
#ifndef FWPROVIDER_BENCH_SHAPES_H
#define FWPROVIDER_BENCH_SHAPES_H

#include <cstddef>
#include <string>

enum class Shape {
  kAttributes,   // XML attributes on one Property
  kElements,     // empty Objects inside the root
  kProperties,   // string Properties that the rules never read
  kDepth,        // Objects nested inside the root, refused beyond the reader's nesting limit
  kValueLength,  // bytes of one Property's value
  kEntities,     // entity references in one Property's value
  kListItems,    // Objects in one List inside the root
};
inline constexpr Shape kShapes[] = {Shape::kAttributes, Shape::kElements,    Shape::kProperties,
                                    Shape::kDepth,      Shape::kValueLength, Shape::kEntities,
                                    Shape::kListItems};

// The dimension's name in benchmark names: "attributes", "elements", ...
const char* shapeName(Shape shape);

// The update example (answered with an update) with count units of the shape added inside its
// root Object, after its own Properties. Depth up to 255 keeps the whole document within the
// reader's 256 levels.
std::string shapedDescription(Shape shape, size_t count);

// The count of units whose description is closest to, and not over, the given size.
size_t countForSize(Shape shape, size_t bytes);

#endif
