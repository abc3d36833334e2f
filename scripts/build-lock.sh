# For the build scripts that source it: build_lock NAME holds a lock named
# NAME for the rest of the script, so that a second build of the same tree
# (started beside it by scripts/test, say) waits for the first and then
# finds its work done.
build_lock() {
  mkdir -p .cache
  exec {build_lock_fd}>".cache/$1.lock"
  if ! flock -n "$build_lock_fd"; then
    local waited=$SECONDS
    echo "Waiting for the $1 build running beside this one" >&2
    flock "$build_lock_fd"
    echo "Waited $((SECONDS - waited)) s for it" >&2
  fi
}
