#!/usr/bin/env bash
# tools/setup.sh as a new user meets it, run as a normal user and installing
# nothing: with everything there it does nothing; with a package missing and
# no sudo it names the apt-get line to run as root; with a sudo whose apt-get
# fails it says so in a few lines and names the log that holds apt's output.
#   test_setup.sh SETUP_SH
set -euo pipefail
skip=77
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
cp "$1" "$work/setup.sh"
mkdir -m 777 "$work/tmp"

# Root would hide what a normal user meets.
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if ! command -v setpriv >/dev/null; then
    echo "SKIPPED: running as root without setpriv to become a normal user"
    exit $skip
  fi
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi

# A PATH without sudo: only the tools the set-up itself calls.
mkdir "$work/bin" "$work/with-sudo"
for tool in bash env id dpkg-query grep cat mktemp rm; do
  ln -s "$(command -v "$tool")" "$work/bin/$tool"
done
# A sudo whose every command fails the way apt-get does.
cat >"$work/with-sudo/sudo" <<'SUDO'
#!/bin/sh
echo "E: the stand-in sudo refused: $*"
exit 100
SUDO
chmod 755 "$work/with-sudo/sudo"

missing_package=velvane-test-never-installed
failures=0
fail() {
  echo "FAILED: $1"
  printf '%s\n' "--- its output (status $status):" "$output"
  failures=$((failures + 1))
}
# setup PATH EXTRA_PACKAGES: sets status and output.
setup() {
  set +e
  output=$("${as_user[@]}" env -i PATH="$1" HOME="$work" TMPDIR="$work/tmp" \
    VELVANE_SETUP_EXTRA_PACKAGES="$2" bash "$work/setup.sh" 2>&1)
  status=$?
  set -e
}

setup "$work/bin" ""
if [ $status -ne 0 ] || [ -n "$output" ]; then
  fail "with every package installed the set-up did not end at once, silent, with status 0"
fi

setup "$work/bin" "$missing_package"
line="apt-get update && apt-get install -y --no-install-recommends $missing_package"
if [ $status -ne 1 ] || ! grep -qxF "  $line" <<<"$output" || ! grep -q "sudo is not installed" <<<"$output"; then
  fail "without root and sudo the set-up did not stop with status 1 naming: $line"
elif grep -q "updating the package lists\|not found" <<<"$output"; then
  fail "without root and sudo the set-up went on to install"
fi

setup "$work/with-sudo:$work/bin" "$missing_package"
log=$(grep -o "$work/tmp/[^ ]*\.log" <<<"$output" | tail -n 1 || true)
if [ $status -ne 1 ] || [ -z "$log" ] || [ "$(wc -l <<<"$output")" -gt 5 ]; then
  fail "a failing apt-get through sudo did not end in a few lines naming the log"
elif ! grep -q "E: the stand-in sudo refused: env DEBIAN_FRONTEND=noninteractive apt-get update" "$log"; then
  fail "the log $log does not hold apt's output"
fi

[ $failures -eq 0 ] && echo "passed"
exit $((failures > 0))
