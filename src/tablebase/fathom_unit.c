/* Fathom's prober, compiled as one unit with Talvik's build settings: threads
   on (the tables are opened lazily by whichever search thread needs one
   first), hardware popcount where the compiler has it, and its one message
   to standard output sent to Talvik's log instead, where it cannot break
   into the protocol. */
#include <stdio.h>

int talvik_fathom_message(const char* format, ...);
#define printf talvik_fathom_message
#define TB_CUSTOM_POP_COUNT(x) ((unsigned)__builtin_popcountll(x))

#include "tbprobe.c"

/* The counts of the tables found by the last tb_init. */
int talvik_fathom_wdl_count(void) { return numWdl; }
int talvik_fathom_dtz_count(void) { return numDtz; }
