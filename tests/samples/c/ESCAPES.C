/* uart.c: the head comment, kept by default */

#include <stdio.h>
#error don't // an apostrophe that opens nothing
static const char *url = "\"http://example\"\r\n"; // quoted quotes
static const char *dtd = "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\n";
void say(void) { uart_puts("say \"/*\" then \"*/\""); }
int pick(char c) { if (c == '"') s = "a // b"; return c == '\'' || c == '\\'; } /* two */
int a/**/b; int x = y-/**/-z; int q = 1/**/; /* end */
#define LONG(x) (x) /* spans \
   lines */ + 1
// a comment that goes on \
   onto this line
const char *joined = "one \
// two"; // after
int last; // done
