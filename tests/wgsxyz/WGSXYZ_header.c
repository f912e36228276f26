/* The library's public header compiles as C. */
#include "wgsxyz/WGSXYZ.h"

static WGSXYZConvertFn convert = WGS84ToXYZ;
static WGSXYZGetAktivSystemFn get = GetAktivSystem;

int wgsxyz_header_compiles_as_c(void) { return convert != 0 && get != 0; }
