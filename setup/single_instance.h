// One installer at a time on the machine.
#pragma once

// Takes the installer's mutex in the Global namespace (SYSTEM and
// Administrators only) and keeps it until the process ends. True when
// another installer holds it already: this one must then leave at once.
// False otherwise, also when the mutex cannot be had for another reason:
// the run then goes on unguarded.
bool another_installer_running();
