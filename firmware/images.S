/* The firmware images, pulled in whole with .incbin so that no multi-megabyte array is compiled.
 * Each image gets fwprovider_imageN_begin and fwprovider_imageN_end around its bytes; the list
 * of images comes from the image table in CMakeLists.txt through the generated EmbeddedImages.inc. */

#if defined(_WIN32)
#define FWPROVIDER_IMAGE_SECTION .section .rdata, "dr"
#else
#define FWPROVIDER_IMAGE_SECTION .section .rodata
#endif

.macro fwprovider_symbol name
    .globl \name
#if !defined(_WIN32)
    .hidden \name
    .type \name, @object
#endif
\name:
.endm

.macro fwprovider_image index, path
    .balign 64
    fwprovider_symbol fwprovider_image\index\()_begin
    .incbin "\path"
    fwprovider_symbol fwprovider_image\index\()_end
#if !defined(_WIN32)
    .size fwprovider_image\index\()_begin, fwprovider_image\index\()_end - fwprovider_image\index\()_begin
#endif
.endm

    FWPROVIDER_IMAGE_SECTION
#include "EmbeddedImages.inc"

#if !defined(_WIN32)
/* Keeps the linker from asking for an executable stack because of this object. */
    .section .note.GNU-stack, "", @progbits
/* Built with -fcf-protection, marks this object, which holds no code, as fit for CET: one object
 * without the mark takes it off the whole plug-in. */
#include <cet.h>
#endif
