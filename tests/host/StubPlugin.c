/* Plug-ins that misbehave or stand in, built from this one C file. STUB_PARTIAL lacks two
 * exports. The other answers as the environment chooses. Without FWHOST_STUB its configuration
 * is not XML and its mapping never settles on a buffer size; with it, FWHOST_STUB is the
 * mapping document ("4GiB": one that asks for a 4 GiB buffer). An image's name chooses how it
 * is handed out, else its bytes are its name:
 *   big...       32 MiB, slow enough to write that a test can interrupt it
 *   huge...      asks for a 4 GiB buffer
 *   short...     one byte fewer than it announced, with code 0
 *   changing...  other bytes at each call
 *   pause...     first waits for a byte from the FIFO that FWHOST_STUB_PAUSE names
 * FWHOST_STUB_VERSION, when set, is its configuration's Version, which it also logs. */
#include <stdio.h>
#include <stdlib.h>
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

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetFirmwareConfigurationAttributes(const char* first,
                                                                           uint32_t second,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  static const char odd[] = "not a document";
  static const char configuration[] = "<Object><Property name=\"Version\" value=\"9.9\"/></Object>";
  const char* version = getenv("FWHOST_STUB_VERSION");
  if (version != NULL) {
    char document[512];
    printf("log: %s\n", version);
    snprintf(document, sizeof document,
             "<Object><Property name=\"Version\" value=\"%s\"/></Object>", version);
    return answer(document, (uint32_t)strlen(document) + 1, buffer, bufferLength);
  }
  if (getenv("FWHOST_STUB") == NULL) return answer(odd, sizeof odd, buffer, bufferLength);
  return answer(configuration, sizeof configuration, buffer, bufferLength);
}

#if !defined(STUB_PARTIAL)
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareMappingAttributes(const char* input,
                                                                           uint32_t inputLength,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength) {
  const char* mapping = getenv("FWHOST_STUB");
  if (mapping == NULL || strcmp(mapping, "4GiB") == 0) {
    *bufferLength = mapping == NULL ? *bufferLength + 1 : UINT32_MAX;
    return FWPROVIDER_BUFFER_TOO_SMALL;
  }
  return answer(mapping, (uint32_t)strlen(mapping) + 1, buffer, bufferLength);
}

static int named(const char* name, uint32_t length, const char* prefix) {
  return length >= strlen(prefix) && memcmp(name, prefix, strlen(prefix)) == 0;
}

static void waitForTheTest(void) {
  const char* path = getenv("FWHOST_STUB_PAUSE");
  FILE* fifo = path == NULL ? NULL : fopen(path, "r");
  if (fifo != NULL) {
    fgetc(fifo);
    fclose(fifo);
  }
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength) {
  static uint8_t calls = 0;
  uint32_t size = imageNameLength;
  if (named(imageName, imageNameLength, "big")) size = 32u << 20;
  if (named(imageName, imageNameLength, "huge")) size = UINT32_MAX;
  if (*bufferLength < size || buffer == NULL) {
    const uint32_t given = *bufferLength;
    *bufferLength = size;
    return given < size ? FWPROVIDER_BUFFER_TOO_SMALL : FWPROVIDER_INVALID_ARGUMENTS;
  }
  if (named(imageName, imageNameLength, "pause")) waitForTheTest();
  if (size == imageNameLength) {
    memcpy(buffer, imageName, size);
  } else {
    memset(buffer, 0x5a, size);
  }
  if (named(imageName, imageNameLength, "changing")) buffer[0] ^= ++calls;
  *bufferLength = named(imageName, imageNameLength, "short") ? size - 1 : size;
  return FWPROVIDER_OK;
}
#endif
