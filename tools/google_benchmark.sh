#!/usr/bin/env bash
# Google Benchmark built optimised, for tools/bench.sh. Debian's libbenchmark-dev is compiled
# without NDEBUG, so it runs its own checks while it measures and reports itself as a DEBUG
# build. This takes the source of that same Debian package from the machine's own mirror
# (through an apt configuration of ours: the machine's package sources stay as they are) and
# builds it as a release into CACHEDIR/google-benchmark, once.
# shellcheck source=tools/deps.sh
source "$(dirname "${BASH_SOURCE[0]}")/deps.sh"

tw_release_benchmark() {  # CACHEDIR: prints the folder to give CMake as benchmark_DIR
  local dir=$1/google-benchmark work source version
  local config=$dir/lib/cmake/benchmark
  if [ -f "$config/benchmarkConfig.cmake" ]; then
    printf '%s\n' "$config"
    return 0
  fi
  mkdir -p "$dir" || return 1
  dir=$(cd "$dir" && pwd -P) || return 1
  config=$dir/lib/cmake/benchmark
  work=$(mktemp -d "$dir/fetch.XXXXXX") || return 1
  mkdir -p "$work/src" || return 1
  # The source of the version that is installed, so the headers the build sees match.
  source=benchmark
  # shellcheck disable=SC2016 # dpkg-query's format field
  version=$(dpkg-query -W -f='${Version}' libbenchmark-dev 2>/dev/null) &&
    [ -n "$version" ] && source="benchmark=$version"
  if tw_private_apt "$work" deb-src "" &&
    (cd "$work" && apt-get "${TW_APT[@]}" source --download-only "$source") >>"$work/apt.log" 2>&1 &&
    tar -xzf "$work"/benchmark_*.orig.tar.gz -C "$work/src" --strip-components=1 &&
    cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
      -DBENCHMARK_ENABLE_WERROR=OFF -DCMAKE_INSTALL_PREFIX="$dir" \
      -DCMAKE_INSTALL_LIBDIR=lib >>"$work/apt.log" 2>&1 &&
    cmake --build "$work/build" >>"$work/apt.log" 2>&1 &&
    cmake --install "$work/build" >>"$work/apt.log" 2>&1 &&
    [ -f "$config/benchmarkConfig.cmake" ]; then
    rm -rf "$work"
    printf '%s\n' "$config"
    return 0
  fi
  echo "google benchmark: could not build the source of Debian's package:" >&2
  tail -n 5 "$work/apt.log" >&2
  rm -rf "$work"
  return 1
}
