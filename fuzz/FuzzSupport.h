// What the fuzz targets count as a finding beyond what the sanitizers report. Every target links
// FuzzSupport.cpp, whose LLVMFuzzerInitialize drops error records (unreadable input is expected to
// make them) and aborts on the first fatal report: the library makes those only for faults that
// must never happen.
#ifndef FWPROVIDER_FUZZ_FUZZSUPPORT_H
#define FWPROVIDER_FUZZ_FUZZSUPPORT_H

namespace fuzz {

// Aborts, naming the property, when a property of the code under test does not hold.
void require(bool holds, const char* property);

}  // namespace fuzz

#endif
