// Filling the install context at start-up: its paths, the cleanup of an
// earlier installation, its folders and the system classification.
#pragma once

#include "core/install_context.h"

// Derives the paths, cleans away an earlier installation, creates the
// folders and classifies the system. 0 on success, -1 when a folder cannot
// be created.
int init_install_context(install_context *context);

// The system type from the Windows major version and processor class.
int classify_system();
