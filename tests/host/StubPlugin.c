/* Plug-ins that misbehave, built from this one C file: STUB_PARTIAL lacks two exports;
 * otherwise the configuration is not XML and the mapping never settles on a buffer size. */
#include <string.h>

#include "provider/fwprovider.h"

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetFirmwareConfigurationAttributes(const char* first,
                                                                           uint32_t second,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  static const char answer[] = "not a document";
  if (*bufferLength < sizeof answer) {
    *bufferLength = sizeof answer;
    return FWPROVIDER_BUFFER_TOO_SMALL;
  }
  memcpy(buffer, answer, sizeof answer);
  *bufferLength = sizeof answer;
  return FWPROVIDER_OK;
}

#ifndef STUB_PARTIAL
/* Asks for one byte more than it is given, every time. */
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareMappingAttributes(const char* input,
                                                                           uint32_t inputLength,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  *bufferLength += 1;
  return FWPROVIDER_BUFFER_TOO_SMALL;
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength) {
  *bufferLength = 0; /* no image of any name */
  return FWPROVIDER_OK;
}
#endif
