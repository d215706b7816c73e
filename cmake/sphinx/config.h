/* Build configuration of sphinxbase and pocketsphinx for the 32-bit MinGW
 * cross-build, in place of the one their configure script writes. */
#define HAVE_INTTYPES_H 1
#define HAVE_LONG_LONG 1
#define HAVE_MEMORY_H 1
#define HAVE_PERROR 1
#define HAVE_SNPRINTF 1
#define HAVE_STDINT_H 1
#define HAVE_STDLIB_H 1
#define HAVE_STRINGS_H 1
#define HAVE_STRING_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_SYS_TYPES_H 1
#define HAVE_UNISTD_H 1
#define SIZEOF_LONG 4
#define SIZEOF_LONG_LONG 8
#define STDC_HEADERS 1
#define PACKAGE_NAME "sphinxbase"
#define PACKAGE_VERSION "5prealpha"
