#!/usr/bin/env bash
# Installs any missing Debian packages, then builds and runs every test three ways: the
# optimised build that users run (as ./tools/run.sh makes it, without debug information), the
# AddressSanitizer and UndefinedBehaviorSanitizer build, and, for the test programs that run
# threads, the ThreadSanitizer build. CTest reports a skipped case as skipped; under CI
# (CI=true), where every oracle program is installed, a skipped case fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libjpeg62-turbo-dev libpcre2-dev qt6-base-dev fonts-liberation2 fonts-dejavu-core
          python3 python3-html5lib python3-pil libjpeg-turbo-progs xvfb xauth libreoffice-draw-nogui
          libgif-dev chromium libreoffice-writer-nogui poppler-utils unrtf xdotool
          shared-mime-info desktop-file-utils x11-utils openbox)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen
run_tests() {
  ctest --test-dir "$1" --output-on-failure --parallel "$JOBS" --timeout 600 "${@:2}"
}

# The build users run: the optimisation of ./tools/run.sh's build, without its debug
# information (which costs build time and changes no code). Only here does the allocator hand a
# freed address to the next object at once; the sanitizers keep freed memory aside.
OPT_DIR="${OPT_DIR:-build-opt}"
cmake -S . -B "$OPT_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUK_WERROR=ON -DZUK_BUILD_BENCH=OFF \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG"
cmake --build "$OPT_DIR" --parallel "$JOBS"
run_tests "$OPT_DIR"

BUILD_DIR="${BUILD_DIR:-build-ci}"
# Light optimisation and line tables only: the sanitizers' reports keep their file and line, and
# the build costs about half of a full optimised build with complete debug information.
LIGHT_FLAGS="-O1 -g1"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUK_SANITIZE=ON -DZUK_WERROR=ON \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$LIGHT_FLAGS"
cmake --build "$BUILD_DIR" --parallel "$JOBS"
ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  run_tests "$BUILD_DIR"

# The threads of the GIF painter, the tree's background validation and the GUI layer's synchronise
# queue under ThreadSanitizer: only the test programs that run threads, in a build of their own.
TSAN_DIR="${TSAN_DIR:-build-tsan}"
cmake -S . -B "$TSAN_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUK_BUILD_BENCH=OFF \
      "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=$LIGHT_FLAGS" \
      -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build "$TSAN_DIR" --parallel "$JOBS" --target gif_tests platform_gui_tests nodetree_thread_tests
TSAN_OPTIONS="suppressions=$PWD/tools/tsan.supp" run_tests "$TSAN_DIR" -E _NOT_BUILT
