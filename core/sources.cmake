list(APPEND QV_INSTALLER_SOURCES
  core/cleanup.cpp
  core/dll_search.cpp
  core/install_context.cpp
  core/install_log.cpp
  core/install_sequence.cpp
  core/protected_folder.cpp
  core/text.cpp)
