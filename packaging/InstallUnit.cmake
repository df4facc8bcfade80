# Runs at install time, with the prefix of that install: fills in the unit template with the
# programs' folder and installs the unit where systemd looks for the prefix.
if(IS_ABSOLUTE "${TARN_SBINDIR_SETTING}")
  set(TARN_SBINDIR "${TARN_SBINDIR_SETTING}")
else()
  set(TARN_SBINDIR "${CMAKE_INSTALL_PREFIX}/${TARN_SBINDIR_SETTING}")
endif()

if(TARN_UNIT_DIR_SETTING)
  set(unit_dir "${TARN_UNIT_DIR_SETTING}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  # The system's own units: Debian keeps packaged units in /lib/systemd/system.
  set(unit_dir "/lib/systemd/system")
else()
  # systemd also reads /usr/local/lib/systemd/system; other prefixes need a link from there.
  set(unit_dir "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
endif()

# One filled-in copy per destination: installs into two places at once must not swap units.
string(MD5 key "$ENV{DESTDIR}|${TARN_SBINDIR}")
set(built "${TARN_UNIT_BUILD_DIR}/tarnwatch-${key}.service")
configure_file("${TARN_UNIT_TEMPLATE}" "${built}" @ONLY)
file(INSTALL DESTINATION "${unit_dir}" TYPE FILE FILES "${built}" RENAME tarnwatch.service)
