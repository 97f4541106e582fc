#include <fcntl.h>
#include <scsi/sg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "host/discovery/AtaPassThrough.h"
#include "host/discovery/SysfsTree.h"
#include "host/error/HostError.h"
#include "host/platform/SystemHandle.h"

namespace fwhost {
namespace {

constexpr unsigned kTimeoutMs = 10000;

// The node must be the block device the kernel lists under that name, so that the command
// never reaches another device that happens to sit at the path.
void checkIsTheDevice(int fd, const std::string& device, const std::string& node) {
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISBLK(status.st_mode)) {
    throw HostError::io(node, "not a block device");
  }
  std::string numbers = SysfsTree("/sys").read("block/" + device + "/dev").value_or("");
  if (!numbers.empty() && numbers.back() == '\n') numbers.pop_back();
  const std::string expected =
      std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev));
  if (numbers != expected) {
    throw HostError::io(node, "device " + expected + " is not " + device + " (" + numbers + ")");
  }
}

// Why the command did not complete with its whole buffer filled; empty when it did.
std::string refusalOf(const sg_io_hdr_t& io, const uint8_t* sense) {
  if ((io.info & SG_INFO_OK_MASK) != SG_INFO_OK) {
    // Descriptor sense (0x72/0x73) has its key in byte 1, fixed sense in byte 2.
    const unsigned key =
        io.sb_len_wr > 2 ? ((sense[0] & 0x7e) == 0x72 ? sense[1] : sense[2]) & 0x0f : 0;
    return "ATA PASS-THROUGH failed (SCSI status " + std::to_string(io.status) + ", host " +
           std::to_string(io.host_status) + ", driver " + std::to_string(io.driver_status) +
           ", sense key " + std::to_string(key) + ")";
  }
  if (io.resid > 0) {
    return "answered " + std::to_string(io.dxfer_len - io.resid) + " of 512 bytes of IDENTIFY data";
  }
  return {};
}

// Access refused means a user without the rights that root has; anything else is other.
AtaAnswer::Failure unlessDenied(AtaAnswer::Failure other) {
  return errno == EACCES || errno == EPERM ? AtaAnswer::Failure::notPermitted : other;
}

// ATA PASS-THROUGH (16): PIO data-in, one 512-byte block from the device, IDENTIFY DEVICE.
AtaAnswer askIdentify(int fd, const std::string& node) {
  uint8_t command[16] = {0x85, 4 << 1, 0x0e, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0xec, 0};
  std::string data(512, '\0');
  uint8_t sense[32] = {};
  sg_io_hdr_t io{};
  io.interface_id = 'S';
  io.dxfer_direction = SG_DXFER_FROM_DEV;
  io.cmd_len = sizeof command;
  io.cmdp = command;
  io.dxfer_len = static_cast<unsigned>(data.size());
  io.dxferp = data.data();
  io.mx_sb_len = sizeof sense;
  io.sbp = sense;
  io.timeout = kTimeoutMs;
  if (::ioctl(fd, SG_IO, &io) != 0) {
    const auto failure = unlessDenied(AtaAnswer::Failure::refused);
    return {{}, failure, node + ": SG_IO refused: " + std::strerror(errno)};
  }
  const std::string refusal = refusalOf(io, sense);
  if (!refusal.empty()) return {{}, AtaAnswer::Failure::refused, node + ": " + refusal};
  return {data, AtaAnswer::Failure::none, {}};
}

}  // namespace

AtaAnswer identifyThroughPassThrough(const std::string& device) {
  const std::string node = "/dev/" + device;
  const SystemHandle file(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
  if (!file.valid()) {
    const auto failure = unlessDenied(AtaAnswer::Failure::unreachable);
    return {{}, failure, node + ": cannot open: " + std::strerror(errno)};
  }
  try {
    checkIsTheDevice(file.get(), device, node);
  } catch (const HostError& error) {
    return {{}, AtaAnswer::Failure::unreachable, error.what()};
  }
  return askIdentify(file.get(), node);
}

}  // namespace fwhost
