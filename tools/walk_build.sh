# The build a screenshot walk runs, sourced by the walks before they start their virtual X
# server: the release build that tools/prepare-release.sh makes, or the configured build
# directory CORVANE_BUILD names, brought up to date. Sets $build; stops with a message when a
# tool the walk needs is missing.
# Usage: walk_build NAME OUT_DIR TOOL...
walk_build() {
    local name=$1 out=$2
    shift 2
    build=${CORVANE_BUILD:-}
    if [ -z "$build" ]; then
        bash "$root/tools/prepare-release.sh" "$out/data" corvane corvane-admin supplied_data
        build="$root/build-release"
    else
        bash "$root/tools/deps.sh"
        cmake --build "$build" --parallel "$(nproc)" --target corvane corvane-admin supplied_data
    fi
    local tool
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "$name needs $tool (Debian package $tool)" >&2
            exit 1
        fi
    done
}
