#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and test, when missing.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libqt6sql6-odbc unixodbc-dev
          odbc-postgresql qt6-translations-l10n postgresql-15 libxlsxwriter-dev poppler-utils
          fonts-dejavu-core fonts-liberation2 qt6-base-private-dev unzip libsqliteodbc sqlite3 openssl lintian
          desktop-file-utils appstream unixodbc qt6-qpa-plugins libharfbuzz-dev qpdf fonts-ebgaramond fonts-noto-color-emoji
          fonts-inter-variable "$@")
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
