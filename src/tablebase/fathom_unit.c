/* Fathom's prober, compiled as one unit with Talvik's build settings: threads
   on (the tables are opened lazily by whichever search thread needs one
   first) and hardware popcount where the compiler has it. Its messages to
   standard output go to Talvik's log instead, where they cannot break into
   the protocol, and so do its error reports; a table file it cannot map
   makes it call exit, which here only logs: the table then counts as
   missing (Fathom goes on with no data, which it handles). */
#include <stdio.h>
#include <stdlib.h>

int talvik_fathom_message(const char* format, ...);
void talvik_fathom_error(const char* what);
void talvik_fathom_exit(int status);
#define printf talvik_fathom_message
#define perror talvik_fathom_error
#define exit talvik_fathom_exit
#define TB_CUSTOM_POP_COUNT(x) ((unsigned)__builtin_popcountll(x))

#include "tbprobe.c"

/* The counts of the tables found by the last tb_init. */
int talvik_fathom_wdl_count(void) { return numWdl; }
int talvik_fathom_dtz_count(void) { return numDtz; }
