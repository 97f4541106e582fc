// The three functions a host calls. Each starts from "Invalid arguments." so that any early exit
// answers 36, and nothing thrown beneath them may cross into the host.
#include "provider/fwprovider.h"

#include <exception>
#include <string>

#include "orv/core/Report.h"
#include "orv/core/Status.h"
#include "orv/core/XmlConverter.h"
#include "provider/AnswerDocument.h"
#include "provider/BufferProtocol.h"
#include "provider/ConfigurationAttributes.h"
#include "provider/FirmwareImageCatalog.h"
#include "provider/TargetFirmwareMapping.h"

namespace {

using orv::core::Status;

// A thrown status or exception becomes one fatal report and 36, with *bufferLength untouched.
// Memory may have run out for good, so the report goes as far as it can and 36 needs none.
template <typename Call>
uint32_t guarded(const orv::core::SourceLocation& where, Call call) {
  try {
    std::string caught;
    try {
      return static_cast<uint32_t>(call().code());
    } catch (const Status& status) {
      caught = "status " + std::to_string(status.code()) + " ";
      caught += status.message();
    } catch (const std::exception& exception) {
      caught = exception.what();
    } catch (...) {
      caught = "an unknown exception";
    }
    orv::core::reportFatal(where, "Unexpected exception: " + caught);
  } catch (...) {
  }
  return FWPROVIDER_INVALID_ARGUMENTS;
}

}  // namespace

extern "C" {

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareMappingAttributes(const char* input,
                                                                           uint32_t inputLength,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  return guarded(ORV_HERE, [&] {
    namespace convert = orv::core::xml::convert;
    Status status = orv::core::invalidArgumentsStatus();
    if (input == nullptr || buffer == nullptr || bufferLength == nullptr) return status;
    const auto root = convert::toXml(fwprovider::takeInputText(input, inputLength));
    if (!root) return status;
    // The tree is this call's own, so it is read in place rather than through a copy.
    auto drive = convert::toAttributeMap(*root);
    if (!drive) return status;
    const auto answer = fwprovider::mapTargetFirmware(std::move(*drive));
    return fwprovider::copyTextToBuffer(fwprovider::answerDocument(answer), buffer, bufferLength);
  });
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetFirmwareConfigurationAttributes(const char*, uint32_t,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  return guarded(ORV_HERE, [&] {
    Status status = orv::core::invalidArgumentsStatus();
    if (buffer == nullptr || bufferLength == nullptr) return status;
    return fwprovider::copyTextToBuffer(
        fwprovider::answerDocument(fwprovider::buildConfigurationAttributes()), buffer,
        bufferLength);
  });
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength) {
  return guarded(ORV_HERE, [&] {
    Status status = orv::core::invalidArgumentsStatus();
    if (imageName == nullptr || bufferLength == nullptr) return status;
    uint32_t size = 0;
    const uint8_t* image =
        fwprovider::findImage(fwprovider::takeInputText(imageName, imageNameLength), size);
    return fwprovider::copyBinaryToBuffer(image, size, buffer, bufferLength);
  });
}

}  // extern "C"
