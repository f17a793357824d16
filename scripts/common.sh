# Shared by scripts/run and scripts/test: where the tree is and how to configure a build folder.
# Sourcing this file looks for no tool: set-up runs first, then `configure` picks Ninja, which
# set-up installs.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"

# configure BUILD_DIR CMAKE_ARGS...: configures BUILD_DIR for Ninja. A folder configured
# earlier with another generator (or a half-finished first configure) is cleared first, so the
# command never stops at "Does not match the generator used previously".
configure() {
    local build="$1"
    shift
    local cache="$build/CMakeCache.txt"
    if [ -f "$cache" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$cache"; then
        echo "Reconfiguring $build for Ninja"
        rm -rf "$cache" "$build/CMakeFiles"
    fi
    cmake -S "$root" -B "$build" -G Ninja "$@"
}
