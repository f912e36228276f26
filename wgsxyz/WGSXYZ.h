/* Exports of the coordinate-system library WGSXYZ (plain C functions, the
   platform's C calling convention). Texts are zero-terminated 8-bit strings
   in code page 1252; the block is the 256-byte coordinate-system block of
   CoordinateBlock.h. A returned text belongs to the library until its next
   call. */
#ifndef WGSXYZ_WGSXYZ_H
#define WGSXYZ_WGSXYZ_H

#include <stdint.h>

#if defined(WGSXYZ_BUILDING_LIBRARY)
#define WGSXYZ_EXPORT __attribute__((visibility("default")))
#else
#define WGSXYZ_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#define WGSXYZ_NOEXCEPT noexcept
#else
#define WGSXYZ_NOEXCEPT
#endif

/* The dialog's language texts, one per line. */
WGSXYZ_EXPORT void SetLanguageStrings(const char* texts) WGSXYZ_NOEXCEPT;

/* Fills the whole block for the active system text (NULL or empty: the
   default "41;CH03"); directory is a folder of extra grid and geoid files
   (may be NULL or empty); administrator is 0 or 1. */
WGSXYZ_EXPORT void GetAktivSystem(unsigned char* block, const char* directory, const char* activeSystem,
                                  unsigned char administrator) WGSXYZ_NOEXCEPT;

/* Lets the user choose a system; the dialog's top edge is at top, its middle
   at centreX (screen pixels). Returns the chosen system text, or the given
   one when the dialog is cancelled or cannot be shown. The last two
   arguments are reserved (0). */
WGSXYZ_EXPORT const char* ShowParams(const char* activeSystem, int32_t centreX, int32_t top, int32_t reserved1,
                                     int32_t reserved2) WGSXYZ_NOEXCEPT;

/* Geographic triple (in the block's mode) to grid triple, and back. A failed
   conversion (unusable system, unknown mode, invalid angle, position outside
   the system's area of use) fills the result triple with NaN. */
WGSXYZ_EXPORT void WGS84ToXYZ(unsigned char* block) WGSXYZ_NOEXCEPT;
WGSXYZ_EXPORT void XYZToWGS84(unsigned char* block) WGSXYZ_NOEXCEPT;

typedef void (*WGSXYZSetLanguageStringsFn)(const char*);
typedef void (*WGSXYZGetAktivSystemFn)(unsigned char*, const char*, const char*, unsigned char);
typedef const char* (*WGSXYZShowParamsFn)(const char*, int32_t, int32_t, int32_t, int32_t);
typedef void (*WGSXYZConvertFn)(unsigned char*);

#ifdef __cplusplus
}
#endif

#endif
