# plcburn against plcsim on a pseudo-terminal for a COM model (RU7, a 64 KiB
# image built in): the whole update, RUN mode, a flash write error, no port.
# The KQ200 cases run with the native tests (step 10).
set -euo pipefail
build=build/cli-ru7
bash tests/linux/com_model_build.sh "$PWD" "$build"
ctest --test-dir "$build" -L plcburn-pty --output-on-failure
