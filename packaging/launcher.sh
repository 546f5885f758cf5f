#!/bin/sh
# Starts Bayhaul in the user's own settings folder, so that settings.ini,
# which Bayhaul keeps in the folder it runs in, is always the user's one.
# Arguments (--download, --help) go to the program unchanged.
case "${XDG_CONFIG_HOME:-}" in
  /*) config_home=$XDG_CONFIG_HOME ;;
  *)
    # Unset, empty or relative: the default, as the XDG rules have it.
    if [ -z "${HOME:-}" ]; then
      echo "bayhaul: neither XDG_CONFIG_HOME nor HOME is set; cannot find the settings folder" >&2
      exit 2
    fi
    config_home=$HOME/.config
    ;;
esac
settings_folder=$config_home/bayhaul
# Exit code 2 as the program's own "nothing could run".
mkdir -p -m 0700 "$config_home" || exit 2
mkdir -p "$settings_folder" || exit 2

# The program lives in lib/bayhaul beside this script's bin folder, with
# its terminal library next to it.
program=$(dirname "$(readlink -f "$0")")/../lib/bayhaul/bayhaul
cd "$settings_folder" || exit 2
exec "$program" "$@"
