list(APPEND QV_INSTALLER_SOURCES
  driver/device_reenumeration.cpp
  driver/driver_removal.cpp
  driver/driver_staging.cpp)
