list(APPEND QV_INSTALLER_SOURCES
  core/cleanup.cpp
  core/dll_search.cpp
  core/elapsed_clock.cpp
  core/install_context.cpp
  core/install_log.cpp
  core/install_sequence.cpp
  core/protected_folder.cpp
  core/single_instance.cpp
  core/text.cpp)
