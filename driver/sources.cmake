list(APPEND QV_INSTALLER_SOURCES
  driver/driver_staging.cpp)
