// What the benchmarks and the profile run: the drive descriptions fed to the mapping export, and
// the XML reader alone on them, the floor the export is measured against.
#ifndef FWPROVIDER_BENCH_WORKLOAD_H
#define FWPROVIDER_BENCH_WORKLOAD_H

#include <cstddef>
#include <string>

// The update example (an updatable drive, answered with the 592-byte document) followed by
// extraProperties more string properties that the rules never read.
std::string driveDescription(int extraProperties);

// boost::property_tree::read_xml on text into a tree that is then destroyed; returns the count
// of top-level nodes so that the work cannot be optimised away.
size_t readXmlAlone(const std::string& text);

#endif
