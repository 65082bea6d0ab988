/* Fathom's prober, compiled as one unit with Talvik's build settings: threads
   on (the tables are opened lazily by whichever search thread needs one
   first) and hardware popcount where the compiler has it. Its messages to
   standard output go to Talvik's log instead, where they cannot break into
   the protocol, and so do its error reports; a table file it cannot map
   makes it call exit, which here only logs: the table then counts as
   missing (Fathom goes on with no data, which it handles). */
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* Fathom trusts the files it opens. Every table file passes this gate
   first: a file that is too short, of a size no table has or without the
   magic number of its kind counts as missing, so that Fathom never parses
   a truncated or foreign file. */
static int talvik_fathom_open(const char* path, int flags);
#define open talvik_fathom_open

int talvik_fathom_message(const char* format, ...);
void talvik_fathom_error(const char* what);
void talvik_fathom_exit(int status);
#define printf talvik_fathom_message
#define perror talvik_fathom_error
#define exit talvik_fathom_exit
#define TB_CUSTOM_POP_COUNT(x) ((unsigned)__builtin_popcountll(x))

#include "tbprobe.c"

#undef open
static int talvik_fathom_open(const char* path, int flags) {
  static const char* const suffixes[] = {".rtbw", ".rtbm", ".rtbz"};
  static const uint32_t magics[] = {0x5d23e871, 0x88ac504b, 0xa50c66d7};
  /* The smallest tables hold 64 bytes of header and data and a 16-byte checksum. */
  enum { SmallestTable = 80 };
  const size_t length = strlen(path);
  int kind = -1;
  for (int i = 0; i < 3; i++)
    if (length >= 5 && strcmp(path + length - 5, suffixes[i]) == 0) kind = i;
  const int fd = open(path, flags);
  if (fd < 0 || kind < 0) return fd;
  struct stat status;
  uint8_t head[4];
  const int readable = fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size >= SmallestTable &&
                       (status.st_size & 63) == 16 && pread(fd, head, sizeof head, 0) == (ssize_t)sizeof head;
  const uint32_t magic = readable ? (uint32_t)head[0] | (uint32_t)head[1] << 8 | (uint32_t)head[2] << 16 |
                                        (uint32_t)head[3] << 24
                                  : 0;
  if (magic != magics[kind]) {
    talvik_fathom_message("not a table file: %s", path);
    close(fd);
    return -1;
  }
  return fd;
}

/* Closes the tables. tb_init("") frees them but leaves TB_LARGEST and the
   table index as they were, pointing at what it freed (the next probe would
   open a table through freed path names and a destroyed mutex): both are
   cleared here. */
void talvik_fathom_close(void) {
  tb_init("");
  for (int i = 0; i < (1 << TB_HASHBITS); i++) {
    tbHash[i].key = 0;
    tbHash[i].ptr = NULL;
  }
  tbNumPiece = tbNumPawn = 0;
  TB_MaxCardinality = TB_MaxCardinalityDTM = 0;
  TB_LARGEST = 0;
}

/* The counts of the tables found by the last tb_init. */
int talvik_fathom_wdl_count(void) { return numWdl; }
int talvik_fathom_dtz_count(void) { return numDtz; }
