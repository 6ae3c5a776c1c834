# What every program shares: the install context record and the
# architecture test, the log, bounded text, tree removal, the DLL search
# restriction, protected folders and the elapsed-time clock.
list(APPEND QV_INSTALLER_SOURCES
  core/dll_search.cpp
  core/elapsed_clock.cpp
  core/install_context.cpp
  core/install_log.cpp
  core/protected_folder.cpp
  core/protected_object.cpp
  core/text.cpp
  core/tree_removal.cpp)
