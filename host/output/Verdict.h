// The plug-in's three verdicts as fwhost names them: the Status codes of the public header, a
// token for JSON and words for people; one table, so that the names never drift apart.
#ifndef FWHOST_OUTPUT_VERDICT_H
#define FWHOST_OUTPUT_VERDICT_H

#include <cstdint>

namespace fwhost {

enum class Verdict { noUpdateOffered, updateAvailable, contactSupport };

// The verdict of a Status value; false when it is none of the three.
bool verdictOfStatus(uint32_t status, Verdict& verdict);

// 64, 65, 68.
uint32_t statusOf(Verdict verdict);

// "no-update-offered", "update-available", "contact-support". 64 is what the plug-in answers
// for every drive its rules do not update, including one it does not know, so it vouches for
// no firmware: neither name says "current".
const char* verdictToken(Verdict verdict);

// "no update offered", "update available", "contact support".
const char* verdictWords(Verdict verdict);

}  // namespace fwhost

#endif
