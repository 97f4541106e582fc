/* Plug-ins that misbehave or stand in, built from this one C file: STUB_PARTIAL lacks two
 * exports; STUB_BIG offers an update of one 32 MiB package, slow enough to write that a test
 * can interrupt it; otherwise the configuration is not XML and the mapping never settles on a
 * buffer size. */
#include <string.h>

#include "provider/fwprovider.h"

static uint32_t answer(const char* text, uint32_t size, char* buffer, uint32_t* bufferLength) {
  if (*bufferLength < size) {
    *bufferLength = size;
    return FWPROVIDER_BUFFER_TOO_SMALL;
  }
  memcpy(buffer, text, size);
  *bufferLength = size;
  return FWPROVIDER_OK;
}

#ifdef STUB_BIG
static const char configuration[] = "<Object><Property name=\"Version\" value=\"9.9\"/></Object>";
#else
static const char configuration[] = "not a document";
#endif

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetFirmwareConfigurationAttributes(const char* first,
                                                                           uint32_t second,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  return answer(configuration, sizeof configuration, buffer, bufferLength);
}

#if defined(STUB_BIG)
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareMappingAttributes(const char* input,
                                                                           uint32_t inputLength,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  static const char update[] =
      "<Object><Property name=\"Status\" value=\"65\"/><Property name=\"Destination\" "
      "value=\"BIG\"/><Property name=\"Package\" value=\"big\"/></Object>";
  return answer(update, sizeof update, buffer, bufferLength);
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength) {
  const uint32_t size = 32u << 20;
  if (*bufferLength < size) {
    *bufferLength = size;
    return FWPROVIDER_BUFFER_TOO_SMALL;
  }
  memset(buffer, 0x5a, size);
  *bufferLength = size;
  return FWPROVIDER_OK;
}
#elif !defined(STUB_PARTIAL)
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
