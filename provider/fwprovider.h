/* fwprovider.h: the C interface of the firmware provider plug-in, for the host that loads it.
 *
 * The host owns every buffer. Each export returns a status code and reports the answer's
 * size through the in/out *bufferLength:
 *   text protocol (mapping and configuration documents): needs length + 1 bytes; a NUL is
 *     written after the text; *bufferLength becomes length + 1; a short buffer gives 37.
 *   binary protocol (firmware images): needs exactly the image size; no terminator;
 *     *bufferLength becomes the size, also with a null buffer (then 37 or 36).
 * A null required pointer gives 36 and leaves *bufferLength untouched. */
#ifndef FWPROVIDER_H
#define FWPROVIDER_H

#include <stdint.h>

#if defined(_WIN32)
#define FWPROVIDER_CALL __cdecl
#if defined(FWPROVIDER_BUILDING)
#define FWPROVIDER_API __declspec(dllexport)
#else
#define FWPROVIDER_API __declspec(dllimport)
#endif
#else
#define FWPROVIDER_CALL
#define FWPROVIDER_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Return codes of the exports. */
#define FWPROVIDER_OK 0u
#define FWPROVIDER_INVALID_ARGUMENTS 36u
#define FWPROVIDER_BUFFER_TOO_SMALL 37u

/* Verdicts, carried as the value of the "Status" attribute of the mapping answer. */
#define FWPROVIDER_VERDICT_CURRENT 64u
#define FWPROVIDER_VERDICT_UPDATE_AVAILABLE 65u
#define FWPROVIDER_VERDICT_CONTACT_SUPPORT 68u

/* The embedded firmware images, in flash order. */
#define FWPROVIDER_IMAGE_1 "1BRHPS1_H2L018T2PB_256"
#define FWPROVIDER_IMAGE_2 "2_QM_77K_2262_BootISPTotal_A1_Package_signed"
#define FWPROVIDER_IMAGE_3 "3REV1_H2L018T2PB_256"

/* Maps the drive described by the XML document in input to its target firmware. */
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareMappingAttributes(const char* input,
                                                                           uint32_t inputLength,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength);

/* Describes the library itself; first and second are never read. */
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetFirmwareConfigurationAttributes(const char* first,
                                                                           uint32_t second,
                                                                           char* buffer,
                                                                           uint32_t* bufferLength);

/* Copies the named firmware image; buffer may be null to learn the size. */
FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength);

/* Function pointer types for hosts that load the plug-in at run time. */
typedef uint32_t(FWPROVIDER_CALL* GetTargetFirmwareMappingAttributesFn)(const char*, uint32_t,
                                                                        char*, uint32_t*);
typedef uint32_t(FWPROVIDER_CALL* GetFirmwareConfigurationAttributesFn)(const char*, uint32_t,
                                                                        char*, uint32_t*);
typedef uint32_t(FWPROVIDER_CALL* GetTargetFirmwareBinaryFn)(const char*, uint32_t, uint8_t*,
                                                             uint32_t*);

#ifdef __cplusplus
}
#endif

#endif
