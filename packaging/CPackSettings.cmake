# `make package`: a Debian package of exactly what `make install` installs,
# under /usr. Its run-time dependencies are found from the binaries by
# dpkg-shlibdeps; it needs no maintainer scripts (the menu, icon cache and
# manual page database are refreshed by the triggers of the packages that own
# them).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velthorn)
set(CPACK_PACKAGE_VENDOR "The Velthorn developers")
set(CPACK_PACKAGE_CONTACT "The Velthorn developers <hi@velthorn.audio>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "guitar multi-effect for the desktop")
set(CPACK_PACKAGE_DESCRIPTION
"Velthorn plays a guitar through a wah, a distortion, an amplifier with a
three-band tone stack and a speaker-cabinet voicing, and a feedback delay,
in real time through ALSA or JACK. A MIDI foot controller can switch the
stages and move the main knobs.
.
The package also holds velthorn-render, which runs the same effect chain
over audio files, to re-amp a recorded track offline.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://velthorn.audio)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The framework opens the X libraries at run time, so dpkg-shlibdeps cannot
# see them; CPack adds what it finds in the binaries to these. The JACK
# library (when JACK is chosen) and the screen-saver extension are opened the
# same way but are optional, and the panel's text needs a font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libx11-6, libxext6, libxcursor1, libxinerama1, libxrandr2")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libjack-jackd2-0 | libjack0, libxss1, fonts-dejavu-core")

include(CPack)
