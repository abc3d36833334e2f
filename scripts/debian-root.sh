# A brand-new minimal Debian root to run commands in, for the scripts that
# source this file: debian_root SUITE unpacks one and mounts what programs
# need; debian_root_bind DIR shows a directory of this machine at the same
# place inside; debian_root_run COMMAND runs a command there from DIR or /.
# Everything is unmounted and the root deleted when the script exits.
# The minimal root is made once per release with mmdebstrap and kept as a
# tarball in /var/tmp; every root unpacks a new copy. Needs root.

debian_root() {
  local suite=$1
  [[ $suite == bookworm || $suite == trixie ]] || { echo "unknown release '$suite' (bookworm or trixie)" >&2; exit 2; }
  [ "$(id -u)" -eq 0 ] || { echo "needs root" >&2; exit 2; }
  local cache=/var/tmp/vellorin-debian-$suite.tar
  if [ ! -f "$cache" ]; then
    echo "Making a minimal $suite root (once; kept as $cache)"
    mmdebstrap --variant=minbase --format=tar --include=git,ca-certificates,sudo "$suite" "$cache.part" </dev/null
    mv "$cache.part" "$cache"
  fi
  debian_root_dir=$(mktemp -d "/var/tmp/vellorin-$suite-root.XXXXXX")
  debian_root_binds=()
  trap debian_root_remove EXIT
  tar -xf "$cache" -C "$debian_root_dir"
  # A root that is thrown away after the run needs no syncing of each file
  # dpkg unpacks; installing is much of its set-up.
  echo force-unsafe-io >"$debian_root_dir/etc/dpkg/dpkg.cfg.d/unsafe-io"
  mount -t proc proc "$debian_root_dir/proc"
  mount --rbind /sys "$debian_root_dir/sys"
  mount --bind /dev "$debian_root_dir/dev"
  mount --bind /dev/pts "$debian_root_dir/dev/pts"
  mount -t tmpfs tmpfs "$debian_root_dir/dev/shm"
  cp /etc/resolv.conf "$debian_root_dir/etc/resolv.conf"
  # The root trusts what this machine trusts: a certificate added here (a
  # proxy's, say) may be how the package registries are reached.
  if compgen -G "/usr/local/share/ca-certificates/*.crt" >/dev/null; then
    cp /usr/local/share/ca-certificates/*.crt "$debian_root_dir/usr/local/share/ca-certificates/"
    chroot "$debian_root_dir" update-ca-certificates >/dev/null 2>&1
  fi
}

debian_root_bind() {
  mkdir -p "$debian_root_dir$1"
  mount --bind "$1" "$debian_root_dir$1"
  debian_root_binds=("$1" "${debian_root_binds[@]}")
}

debian_root_run() {
  local directory=$1
  shift
  chroot "$debian_root_dir" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb bash -c "cd '$directory' && $*"
}

debian_root_remove() {
  local mount
  for mount in "${debian_root_binds[@]}" /dev/shm /dev/pts /dev /sys /proc; do
    umount -l "$debian_root_dir$mount" 2>/dev/null || true
  done
  # Only once nothing of this machine is mounted inside any more: a bind
  # mount is on the same file system, and rm would go into it.
  if ! grep -q " $debian_root_dir/" /proc/mounts; then
    rm -rf --one-file-system "$debian_root_dir"
  fi
}
