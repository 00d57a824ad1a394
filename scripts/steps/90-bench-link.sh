# The link's speed figures (scripts/bench-link): printed, not judged; the step
# fails only when an update in it fails.
set -euo pipefail
BENCH_SKIP_DEPS=1 scripts/bench-link
