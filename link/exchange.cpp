// The exchange discipline is a template in exchange.h so that the block
// transfer's per-block judge inlines; this unit keeps the library non-empty.
#include "link/exchange.h"
