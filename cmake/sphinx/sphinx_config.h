/* Externally visible configuration of sphinxbase for the 32-bit MinGW
 * cross-build: floating point, 4-byte long. */
#define SIZEOF_LONG 4
#define HAVE_LONG_LONG 1
#define SIZEOF_LONG_LONG 8
