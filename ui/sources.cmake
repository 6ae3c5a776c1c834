list(APPEND QV_INSTALLER_SOURCES
  ui/progress_window.cpp)
