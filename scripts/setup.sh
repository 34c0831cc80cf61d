#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when any is missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config python3
  qt6-base-dev libgl-dev libxcb1-dev xvfb x11-utils fonts-dejavu-core fonts-liberation2
  libsqlite3-dev libboost-dev locales
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  mono-runtime mono-mcs libmono-oracle4.0-cil
  python3-dbfread
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The tests run imports under Russian and German regional settings, whose decimal separator is a
# comma, and under American ones, whose dates are month first; the locales are generated when
# missing.
wanted_locales=(ru_RU.UTF-8 de_DE.UTF-8 en_US.UTF-8)
have_locales=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
generate=()
for l in "${wanted_locales[@]}"; do
  short=$(echo "$l" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
  grep -qx "$short" <<<"$have_locales" || generate+=("$l")
done
if ((${#generate[@]})); then
  echo "setup: generating the locales ${generate[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  for l in "${generate[@]}"; do
    "${sudo_cmd[@]}" sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
    grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  done
  "${sudo_cmd[@]}" locale-gen
fi
