// Test helper: where output goes to be thrown away.
#ifndef FWPROVIDER_TESTS_NULLDEVICE_H
#define FWPROVIDER_TESTS_NULLDEVICE_H

#if defined(_WIN32)
inline constexpr const char kNullDevice[] = "NUL";
#else
inline constexpr const char kNullDevice[] = "/dev/null";
#endif

#endif
