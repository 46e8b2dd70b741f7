# Shared by the scripts: install the Debian packages that are missing.
install_packages() {
  local missing=()
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# xdg-mime outside a desktop session names a file's type through mimetype
# (libfile-mimeinfo-perl), which reads the shared-mime-info database; without
# it, file(1) would see only a zip archive.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config clang-14 libclang-rt-14-dev
  libgtest-dev libjpeg62-turbo-dev libzip-dev
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-image-formats-plugins fonts-dejavu-core
  libopencv-dev libopencv-contrib-dev
  dpkg-dev desktop-file-utils appstream nodejs lintian xvfb xauth x11-utils xdotool
  xdg-utils shared-mime-info libfile-mimeinfo-perl)
