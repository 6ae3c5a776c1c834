# The uninstaller's procedures without its entry, and the installer's own
# procedures that it shares (log, bounded text, architecture test, tree
# removal). Its tests build them too.
set(QV_UNINSTALLER_SOURCES
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall.cpp
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_driver.cpp
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_entry.cpp
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_folder.cpp
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_names.cpp
  ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_services.cpp
  ${CMAKE_SOURCE_DIR}/core/dll_search.cpp
  ${CMAKE_SOURCE_DIR}/core/install_context.cpp
  ${CMAKE_SOURCE_DIR}/core/install_log.cpp
  ${CMAKE_SOURCE_DIR}/core/protected_folder.cpp
  ${CMAKE_SOURCE_DIR}/core/text.cpp
  ${CMAKE_SOURCE_DIR}/core/tree_removal.cpp)
set(QV_UNINSTALLER_ENTRY ${CMAKE_SOURCE_DIR}/carried/uninstaller/uninstall_main.cpp)
set(QV_UNINSTALLER_LIBRARIES setupapi advapi32 user32 kernel32)
