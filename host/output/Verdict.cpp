#include "host/output/Verdict.h"

#include "provider/fwprovider.h"

namespace fwhost {
namespace {

struct VerdictRow {
  Verdict verdict;
  uint32_t status;
  const char* token;
  const char* words;
};

const VerdictRow kVerdicts[] = {
    {Verdict::noUpdateOffered, FWPROVIDER_VERDICT_CURRENT, "no-update-offered",
     "no update offered"},
    {Verdict::updateAvailable, FWPROVIDER_VERDICT_UPDATE_AVAILABLE, "update-available",
     "update available"},
    {Verdict::contactSupport, FWPROVIDER_VERDICT_CONTACT_SUPPORT, "contact-support",
     "contact support"},
};

const VerdictRow& rowOf(Verdict verdict) {
  for (const VerdictRow& row : kVerdicts) {
    if (row.verdict == verdict) return row;
  }
  return kVerdicts[0];
}

}  // namespace

bool verdictOfStatus(uint32_t status, Verdict& verdict) {
  for (const VerdictRow& row : kVerdicts) {
    if (row.status == status) {
      verdict = row.verdict;
      return true;
    }
  }
  return false;
}

uint32_t statusOf(Verdict verdict) { return rowOf(verdict).status; }

const char* verdictToken(Verdict verdict) { return rowOf(verdict).token; }

const char* verdictWords(Verdict verdict) { return rowOf(verdict).words; }

}  // namespace fwhost
