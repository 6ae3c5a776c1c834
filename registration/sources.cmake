list(APPEND QV_INSTALLER_SOURCES
  registration/handshake.cpp
  registration/registry_entries.cpp
  registration/services.cpp)
