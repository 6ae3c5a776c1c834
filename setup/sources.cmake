# The installer's entry and its sequence, on top of everything else: start-up
# with the single-instance guard, the install context's initialisation with
# the cleanup of an earlier installation, and the installation sequence.
list(APPEND QV_INSTALLER_SOURCES
  setup/cleanup.cpp
  setup/context_init.cpp
  setup/install_sequence.cpp
  setup/single_instance.cpp)
