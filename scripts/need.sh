#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and test, when missing.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools unixodbc-dev
          odbc-postgresql qt6-translations-l10n postgresql-15 libxlsxwriter-dev poppler-utils
          fonts-dejavu-core fonts-liberation2 qt6-base-private-dev unzip libsqliteodbc sqlite3 openssl lintian
          desktop-file-utils appstream unixodbc qt6-qpa-plugins locales tzdata libharfbuzz-dev qpdf fonts-ebgaramond
          fonts-noto-color-emoji fonts-inter-variable "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  [ "$(id -u)" = 0 ] || { echo "run as root to install packages" >&2; exit 1; }
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The workshop's computers run a Russian desktop: the tests run under its locale too.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && [ "$(id -u)" = 0 ]; then
  sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen || echo 'ru_RU.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi
