#!/bin/sh
# Runs a command with a secret service of its own: a private D-Bus session, a temporary home and
# gnome-keyring unlocked with a throw-away password. Nothing of the user's keyring is touched.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/runtime" && chmod 700 "$home/runtime"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
       XDG_RUNTIME_DIR="$home/runtime" VEXA_TEST_KEYRING=1
exec dbus-run-session -- sh -c '
    printf "%s" test-password | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    exec "$@"' sh "$@"
