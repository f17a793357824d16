# Shared by scripts/run and scripts/test: where the tree is and how to configure it.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="$(nproc 2>/dev/null || echo 2)"
generator=()
if command -v ninja >/dev/null 2>&1; then
    generator=(-G Ninja)
fi
