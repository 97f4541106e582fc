// A drive's own identity, read from the bytes of its identify pages. Platform-neutral: every
// discovery twin hands these parsers the bytes it got from its operating system.
#ifndef FWHOST_DISCOVERY_IDENTIFYPAGES_H
#define FWHOST_DISCOVERY_IDENTIFYPAGES_H

#include <string>
#include <string_view>

namespace fwhost {

// The texts a drive reports about itself, as identityText makes them.
struct DriveIdentity {
  std::string model;
  std::string serial;
  std::string firmware;
};

// The 512 bytes of ATA IDENTIFY DEVICE data: serial from words 10-19, firmware from words
// 23-26, model from words 27-46. HostError (invalidInput) with the reason when the bytes are
// no ATA identify data (wrong size, an ATAPI device, a failed checksum) or when identityText
// refuses one of the texts.
DriveIdentity parseAtaIdentify(std::string_view data);

// The SCSI ATA Information VPD page (0x89), which carries the IDENTIFY data at bytes 60-571.
DriveIdentity parseAtaInformationPage(std::string_view page);

// The serial number of the SCSI Unit Serial Number VPD page (0x80).
std::string parseUnitSerialNumberPage(std::string_view page);

// One rule for every source of a model, serial or firmware text: the blanks around it are
// padding (ATA and NVMe pad on the right, some drives right-justify a serial) and go; whatever is
// left is the text, compared exactly. The standards make these fields printable ASCII, so any
// other byte (NUL, a control character, a byte above 0x7E) is refused with HostError
// (invalidInput) naming the field and the byte's offset in what was reported.
std::string identityText(const char* field, std::string_view reported);

}  // namespace fwhost

#endif
