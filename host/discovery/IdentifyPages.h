// A drive's own identity, read from the bytes of its identify pages. Platform-neutral: every
// discovery twin hands these parsers the bytes it got from its operating system.
#ifndef FWHOST_DISCOVERY_IDENTIFYPAGES_H
#define FWHOST_DISCOVERY_IDENTIFYPAGES_H

#include <string>
#include <string_view>

namespace fwhost {

// The texts a drive reports about itself, trimmed of their padding.
struct DriveIdentity {
  std::string model;
  std::string serial;
  std::string firmware;
};

// The 512 bytes of ATA IDENTIFY DEVICE data: serial from words 10-19, firmware from words
// 23-26, model from words 27-46. HostError (invalidInput) with the reason when the bytes are
// no ATA identify data (wrong size, an ATAPI device, a failed checksum).
DriveIdentity parseAtaIdentify(std::string_view data);

// The SCSI ATA Information VPD page (0x89), which carries the IDENTIFY data at bytes 60-571.
DriveIdentity parseAtaInformationPage(std::string_view page);

// The serial number of the SCSI Unit Serial Number VPD page (0x80).
std::string parseUnitSerialNumberPage(std::string_view page);

// The text without the blanks, line ends and NULs that pad it on either side.
std::string trimPadding(std::string_view text);

}  // namespace fwhost

#endif
