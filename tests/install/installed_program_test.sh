#!/usr/bin/env bash
# Installs the build to a temporary prefix, moves the prefix and starts the moved program
# offscreen with a temporary settings home whose discovery goes to loopback, then checks that it
# runs on its own files: RUNPATH relative to $ORIGIN, no path of the source or build tree in an
# installed file or in the running program's mappings, its fonts loaded (it tells the operator
# nothing, the missing-font notice included) and its start-up finished (the upload server
# listens). Mode "moved" runs it as the owner of the program directory, whose writable files
# then lie beside the program; mode "read-only" runs it as a user who may not write there,
# whose files then go to $XDG_DATA_HOME/Corvane.
# With "allowed" as second argument (a sanitizer build, whose checks keep source paths) the
# installed files are not searched for the trees' paths.
# Usage: installed_program_test.sh moved|read-only refused|allowed BUILD_DIR SOURCE_DIR
set -euo pipefail
mode=$1 tree_paths_in_files=$2 build=$3 source=$4

# The upload server's TCP port, 10003 (hexadecimal as /proc/net/tcp writes it).
readonly upload_port_hex=2713
readonly startup_bound_s=60 stop_bound_s=10 lock_bound_s=150
# Discovery and the link go to 127.0.0.250 only (where a network namespace leaves a loopback).
readonly discovery_key=$((250 * 16777216 + 127))

work=$(mktemp -d "${TMPDIR:-/tmp}/corvane-install-XXXXXX")
pid=
cleanup() {
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  if [ -s "$work/stderr" ]; then sed 's/^/  program: /' "$work/stderr"; fi
  exit 1
}

cmake --install "$build" --prefix "$work/installed" > "$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install"; }
mv "$work/installed" "$work/program"
program=$work/program

for file in Corvane libTrastel.so libserv.so fshz.fnt txt.shx hershey-fonts-acknowledgement.txt; do
  [ -f "$program/$file" ] || fail "$file is not installed"
done
for binary in Corvane libTrastel.so libserv.so; do
  dynamic=$(readelf -d "$program/$binary")
  runpath=$(sed -n 's/.*(RUNPATH).*\[\(.*\)\]$/\1/p' <<< "$dynamic")
  [ "$runpath" = '$ORIGIN' ] || fail "$binary has RUNPATH '$runpath'"
  if grep -q '(RPATH)' <<< "$dynamic"; then fail "$binary has an RPATH"; fi
done
if [ "$tree_paths_in_files" = refused ]; then
  for tree in "$source" "$build"; do
    if hits=$(grep -rlF -- "$tree" "$program"); then fail "installed files name $tree: $hits"; fi
  done
fi

# A settings home of the test's own: discovery to loopback before the first start.
home=$work/home
mkdir -p "$home/config/Corvane" "$home/data"
mkdir -m 700 "$home/runtime"
printf '[NET_SET]\nBroadCastIP=%d\nServBroadCastIP=%d\n' "$discovery_key" "$discovery_key" \
  > "$home/config/Corvane/Corvane.ini"

as_user=()
if [ "$mode" = read-only ]; then
  if [ "$(id -u)" -eq 0 ]; then
    # root may write anywhere: the program runs as nobody, who may not write the directory.
    command -v setpriv > /dev/null || { echo "SKIPPED: setpriv (util-linux) is needed to run as another user"; exit 77; }
    chmod 755 "$work"
    chown -R 65534:65534 "$home"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  else
    chmod -R a-w "$program"
  fi
fi

# The program binds the link's fixed ports. In a network namespace of its own (root, or
# unprivileged user namespaces) it meets no other run and cannot reach any network; otherwise
# it takes the lock of every link test on this host.
isolation=()
if unshare --net -- true 2> /dev/null; then
  isolation=(unshare --net --)
elif unshare --map-root-user --net -- true 2> /dev/null && [ "$mode" = moved ]; then
  isolation=(unshare --map-root-user --net --)
else
  exec 9> /tmp/corvane-link-ports.lock
  flock -w "$lock_bound_s" 9 || { echo "SKIPPED: the link-ports lock stayed held by another run"; exit 77; }
fi

cd "$work"
"${isolation[@]}" "${as_user[@]}" env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen QT_FORCE_STDERR_LOGGING=1 \
  XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
  "$program/Corvane" > "$work/stdout" 2> "$work/stderr" 9>&- &
pid=$!

# The socket inodes of the program listening on the upload port.
listening() {
  local inodes
  inodes=$(find "/proc/$pid/fd" -lname 'socket:*' -printf '%l\n' 2>/dev/null | tr -dc '0-9\n')
  [ -n "$inodes" ] || return 1
  local tables=()
  for table in "/proc/$pid/net/tcp" "/proc/$pid/net/tcp6"; do [ -r "$table" ] && tables+=("$table"); done
  [ ${#tables[@]} -gt 0 ] || return 1
  awk -v inodes="$inodes" -v port=":$upload_port_hex" '
    BEGIN { n = split(inodes, list, "\n"); for (i = 1; i <= n; i++) own[list[i]] = 1 }
    FNR > 1 && substr($2, length($2) - 4) == port && $4 == "0A" && ($10 in own) { found = 1 }
    END { exit !found }' "${tables[@]}" 2> /dev/null
}
told() { grep -q '^corvane\.messages: ' "$work/stderr"; }

deadline=$((SECONDS + startup_bound_s))
until listening; do
  kill -0 "$pid" 2>/dev/null || fail "the program ended during start-up"
  told && fail "the program told the operator something during start-up"
  [ "$SECONDS" -lt "$deadline" ] || fail "start-up did not finish within ${startup_bound_s} s"
  sleep 0.1
done
told && fail "the program told the operator something during start-up"

maps=$(cat "/proc/$pid/maps")
for library in libTrastel.so libserv.so; do
  grep -qF " $program/$library" <<< "$maps" || fail "$library is not mapped from the moved program directory"
done
for tree in "$source" "$build"; do
  if grep -F -- "$tree" <<< "$maps"; then fail "the running program maps files of $tree"; fi
done

case "$mode" in
  moved)
    [ -d "$program/Pages" ] || fail "no Pages folder beside the program"
    [ ! -e "$home/data/Corvane" ] || fail "a writable program directory sent files to the data home"
    ;;
  read-only)
    [ -d "$home/data/Corvane/Pages" ] || fail "no Pages folder in \$XDG_DATA_HOME/Corvane"
    [ ! -e "$program/Pages" ] || fail "Pages was made in the read-only program directory"
    ;;
esac

kill -TERM "$pid"
deadline=$((SECONDS + stop_bound_s))
while kill -0 "$pid" 2>/dev/null; do
  [ "$SECONDS" -lt "$deadline" ] || fail "the program did not stop within ${stop_bound_s} s of SIGTERM"
  sleep 0.1
done
wait "$pid" 2>/dev/null || true
pid=
echo "PASSED: $mode"
