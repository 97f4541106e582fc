/* Plug-ins that misbehave or stand in, built from this one C file. STUB_PARTIAL lacks two
 * exports. The other answers as the environment chooses. Without FWHOST_STUB its configuration
 * is not XML and its mapping never settles on a buffer size; with it, FWHOST_STUB is the
 * mapping document ("4GiB": one that asks for a 4 GiB buffer). An image's name chooses how it
 * is handed out, else its bytes are its name:
 *   big...       32 MiB, slow enough to write that a test can interrupt it
 *   huge...      asks for a 4 GiB buffer
 *   short...     one byte fewer than it announced, with code 0
 *   changing...  other bytes at each call
 *   pause...     first marks the file FWHOST_STUB_PAUSE names (mapped at load: a confined
 *                plug-in opens nothing later) with '1' and waits until the test writes '2'
 * FWHOST_STUB_FAULT=WHERE:WHAT misbehaves at load, at unload or in an export (configuration,
 * mapping, binary), in the mapping only for an input that holds FWHOST_STUB_FAULT_ON when set:
 *   segv, abort, exit (exit(0)), loop, sleep, print (a line on stdout), overrun (writes past
 *   the buffer), allocate (without end), open (a file), socket, fork, exec (on Windows a
 *   child process, which says in the log whether it started), thread (left
 *   running)
 * FWHOST_STUB_VERSION, when set, is its configuration's Version, which it also logs. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include "provider/fwprovider.h"

/* StubAllocation.cpp: allocates with new until it fails, as a C++ plug-in would. */
void stubAllocateWithoutEnd(void);

#if !defined(_WIN32)
static volatile char* pauseMark;
#endif

#if defined(_WIN32)
static DWORD WINAPI chatter(void* unused) {
  for (;;) {
    puts("thread");
    Sleep(1);
  }
  return 0;
}
#else
static void* chatter(void* unused) {
  for (;;) {
    puts("thread");
    usleep(1000);
  }
  return NULL;
}
#endif

static int holds(const char* input, uint32_t inputLength, const char* text) {
  const size_t size = strlen(text);
  for (size_t at = 0; at + size <= inputLength; ++at)
    if (memcmp(input + at, text, size) == 0) return 1;
  return 0;
}

/* Misbehaves as FWHOST_STUB_FAULT asks when it names where; buffer and length: the buffer being
 * answered into, for an overrun. */
static void misbehave(const char* where, const char* input, uint32_t inputLength, char* buffer,
                      uint32_t length) {
  const char* fault = getenv("FWHOST_STUB_FAULT");
  const char* on = getenv("FWHOST_STUB_FAULT_ON");
  const size_t named = strlen(where);
  if (fault == NULL || strncmp(fault, where, named) != 0 || fault[named] != ':') return;
  if (on != NULL && input != NULL && !holds(input, inputLength, on)) return;
  const char* what = fault + named + 1;
  if (strcmp(what, "segv") == 0) {
    int* volatile nowhere = NULL;
    *nowhere = 1;
  }
  if (strcmp(what, "abort") == 0) abort();
  if (strcmp(what, "exit") == 0) exit(0);
  if (strcmp(what, "loop") == 0)
    for (volatile int spin = 0;; ++spin) {
    }
  if (strcmp(what, "print") == 0) printf("stub printed %s\n", where);
  if (strcmp(what, "overrun") == 0 && buffer != NULL) memset(buffer, 'x', length + 16);
  if (strcmp(what, "allocate") == 0) stubAllocateWithoutEnd();
#if defined(_WIN32)
  if (strcmp(what, "sleep") == 0) Sleep(100000);
  if (strcmp(what, "open") == 0) fopen("C:\\windows\\win.ini", "r");
  if (strcmp(what, "thread") == 0) CreateThread(NULL, 0, chatter, NULL, 0, NULL);
  if (strcmp(what, "exec") == 0) {
    char command[] = "cmd.exe /c exit 0";
    STARTUPINFOA startup;
    PROCESS_INFORMATION started;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    const BOOL made =
        CreateProcessA(NULL, command, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started);
    printf("child process %s\n", made ? "started" : "refused");
  }
#else
  if (strcmp(what, "sleep") == 0) sleep(100);
  if (strcmp(what, "open") == 0) open("/etc/passwd", O_RDONLY);
  if (strcmp(what, "socket") == 0) socket(AF_INET, SOCK_STREAM, 0);
  if (strcmp(what, "fork") == 0 && fork() == 0) _exit(0);
  if (strcmp(what, "exec") == 0) execl("/bin/true", "true", (char*)NULL);
  if (strcmp(what, "thread") == 0) {
    pthread_t thread;
    pthread_create(&thread, NULL, chatter, NULL);
  }
#endif
}

#if defined(__GNUC__)
__attribute__((constructor)) static void load(void) {
  misbehave("load", NULL, 0, NULL, 0);
#if !defined(_WIN32)
  const char* path = getenv("FWHOST_STUB_PAUSE");
  const int file = path == NULL || path[0] == '\0' ? -1 : open(path, O_RDWR);
  if (file >= 0) {
    void* mapped = mmap(NULL, 1, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (mapped != MAP_FAILED) pauseMark = mapped;
    close(file);
  }
#endif
}

__attribute__((destructor)) static void unload(void) { misbehave("unload", NULL, 0, NULL, 0); }
#endif

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
  misbehave("configuration", NULL, 0, buffer, *bufferLength);
  const char* version = getenv("FWHOST_STUB_VERSION");
  if (version != NULL) {
    char document[512];
    printf("log: %s\n", version);
    fflush(stdout);
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
  misbehave("mapping", input, inputLength, buffer, *bufferLength);
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
#if !defined(_WIN32)
  if (pauseMark == NULL) return;
  *pauseMark = '1';
  while (*pauseMark != '2') usleep(1000);
  *pauseMark = '0';
#endif
}

FWPROVIDER_API uint32_t FWPROVIDER_CALL GetTargetFirmwareBinary(const char* imageName,
                                                                uint32_t imageNameLength,
                                                                uint8_t* buffer,
                                                                uint32_t* bufferLength) {
  static uint8_t calls = 0;
  uint32_t size = imageNameLength;
  misbehave("binary", NULL, 0, (char*)buffer, *bufferLength);
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
