list(APPEND QV_INSTALLER_SOURCES
  payload/cabinet_expansion.cpp)
