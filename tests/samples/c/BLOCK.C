#include "x.h"
/** //Length of data in Transmit ping */
SI_SEGMENT_VARIABLE(uartTxLen_A, uint8_t, SI_SEG_XDATA);
int a; // note
/* see http://example.com */ int b;
