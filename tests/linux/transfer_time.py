#!/usr/bin/env python3
"""Seconds of the block transfer in a plcsim transcript: from the first block
the PLC heard (STX, 01, FE) to the acknowledgement of the final EOT.
Prints: seconds blocks bytes_to_plc bytes_from_plc median_block_us
(the median time from one block to the next, which a busy machine's stalls
leave alone)"""

import json
import sys


def main(path):
    entries = [json.loads(line) for line in open(path) if line.strip()]
    start = end = None
    to_plc = from_plc = blocks = 0
    last_to_plc = ""
    block_starts = []
    for e in entries:
        if "dir" not in e:
            continue
        data = e["hex"]
        if e["dir"] == "to_plc":
            if start is None and data.startswith("0201FE") and len(data) > 200:
                start = e["t_us"]
            if start is not None:
                to_plc += len(data) // 2
                if data.startswith("02") and len(data) > 200:
                    blocks += 1
                    block_starts.append(e["t_us"])
            last_to_plc = data
        elif start is not None:
            from_plc += len(data) // 2
            if last_to_plc == "04" and data.startswith("06"):
                end = e["t_us"]
    if start is None or end is None:
        sys.exit(f"{path}: no complete transfer")
    periods = sorted(b - a for a, b in zip(block_starts, block_starts[1:]))
    median = periods[len(periods) // 2] if periods else 0
    print(f"{(end - start) / 1e6:.6f} {blocks} {to_plc} {from_plc} {median}")


if __name__ == "__main__":
    main(sys.argv[1])
