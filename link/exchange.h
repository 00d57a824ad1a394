#pragma once
// The exchange discipline: write the request, read the reply, retry, count.
// (Filled in with the protocol core.)
