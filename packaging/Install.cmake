# What `cmake --install` (and `make install`) puts where: the programs in sbin (the checker runs
# as root), their manual pages in section 8, and the checker's systemd unit.
install(TARGETS tarnwatch tarnconfig RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/man/tarnwatch.8 ${CMAKE_CURRENT_LIST_DIR}/man/tarnconfig.8
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man8)

# The unit is filled in when installing, not when configuring: `cmake --install --prefix` then
# still gives a unit that starts the checker it installed.
install(CODE "
  set(TARN_UNIT_TEMPLATE \"${CMAKE_CURRENT_LIST_DIR}/tarnwatch.service.in\")
  set(TARN_UNIT_BUILD_DIR \"${CMAKE_BINARY_DIR}/packaging\")
  set(TARN_SBINDIR_SETTING \"${CMAKE_INSTALL_SBINDIR}\")
  set(TARN_UNIT_DIR_SETTING \"${TARN_SYSTEMD_UNIT_DIR}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallUnit.cmake\")
")
