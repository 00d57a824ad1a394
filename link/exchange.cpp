#include "link/exchange.h"
