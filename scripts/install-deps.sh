#!/usr/bin/env bash
# Installs everything the build and every test need, from Debian's packages.
# Idempotent: packages already present are not fetched again, and apt is not
# touched at all when nothing is missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git ccache
    juce-modules-source
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libfreetype-dev libfontconfig1-dev fonts-dejavu-core
    libasound2-dev libjack-jackd2-dev jackd2
    # ALSA's jack plugin: an end-to-end test plays through an ALSA device
    # that routes into a JACK server, and kills that server under it.
    libasound2-plugins
    libpng-dev libjpeg-dev libflac-dev libvorbis-dev libogg-dev zlib1g-dev
    xvfb xauth xdotool imagemagick x11-utils
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    python3
    clang libclang-rt-14-dev
    scdoc man-db dpkg-dev file lintian desktop-file-utils appstream
    # Hosts the plugin tests load the built plugins into. ardour is the
    # largest download of the list (about 1.5 minutes to install here).
    jalv lilv-utils ardour
    # The Windows build (the posix-threads compiler: the framework needs
    # std::thread and std::mutex) and wine, which runs its tests.
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix wine64
    # The Windows packaging: the icon file from the PNG icons, and the
    # installer compiler.
    icoutils nsis
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

# jackd2 asks whether to enable real-time priority; answer for the user.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections 2>/dev/null || true
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
